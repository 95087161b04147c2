#include "sys/com/XmlUtils.h"

#include "core/Exception.h"
#include "core/Format.h"

std::wstring TXml::NodeAttribute(const TXmlNode& Node, const std::wstring& AttName,
                                 const std::wstring& Default) {
    if (!Node.Assigned())
        return Default;
    return Node.Attribute(AttName).value_or(Default);
}

std::wstring TXml::NodeAttribute(const TXmlNode& Node, const std::wstring& AttName) {
    if (auto value = Node.Attribute(AttName))
        return *value;
    throw Exception(Format(L"Mandatory attribute \"%s\" not found", {AttName}));
}
