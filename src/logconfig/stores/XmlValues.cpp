#include "logconfig/stores/XmlValues.h"
#include "core/Exception.h"
#include "core/Format.h"
#include "core/Text.h"

#include <cerrno>
#include <cmath>
#include <cwchar>
#include <cwctype>

std::wstring XmlBool(bool value) {
    return value ? L"True" : L"False";
}

bool XmlToBool(const std::wstring& text, bool Default) {
    if (SameTextAscii(text, L"True"))
        return true;
    if (SameTextAscii(text, L"False"))
        return false;
    if (text.empty())
        return Default;
    wchar_t* end = nullptr;
    double number = std::wcstod(text.c_str(), &end);
    // "nan" and "inf" are no numbers a file would mean as a switch.
    return end && *end == L'\0' && std::isfinite(number) ? number != 0 : Default;
}

int XmlToInt(const std::wstring& text) {
    wchar_t* end = nullptr;
    errno = 0;
    long value = text.empty() ? 0 : std::wcstol(text.c_str(), &end, 10);
    if (text.empty() || *end != L'\0' || errno == ERANGE || value > 0x7FFFFFFFL ||
        value < -0x7FFFFFFFL - 1 || std::iswspace(text.front()))
        throw EConvertError(Format(L"'%s' is not a valid integer value", {text}));
    return static_cast<int>(value);
}

bool XmlAttrBool(const TXmlNode& node, const std::wstring& name, bool Default) {
    std::optional<std::wstring> text = node.Attribute(name);
    return text ? XmlToBool(*text, Default) : Default;
}

int XmlAttrInt(const TXmlNode& node, const std::wstring& name, int Default) {
    std::optional<std::wstring> text = node.Attribute(name);
    return text ? XmlToInt(*text) : Default;
}

void XmlSetText(const TXmlNode& node, const std::wstring& text) {
    bool blanks = !text.empty() && (std::iswspace(text.front()) || std::iswspace(text.back()));
    // A CDATA section cannot hold its own end marker.
    if (blanks && text.find(L"]]>") == std::wstring::npos)
        node.SetCData(text);
    else
        node.SetText(text);
}

TXmlNode XmlChild(const TXmlNode& node, const std::wstring& name) {
    TXmlNode child = node.FirstChildElement(name);
    return child.Assigned() ? child : node.AppendElement(name);
}

TXmlNode XmlEmptyChild(const TXmlNode& node, const std::wstring& name) {
    TXmlNode child = node.FirstChildElement(name);
    if (!child.Assigned())
        return node.AppendElement(name);
    child.RemoveChildren();
    return child;
}
