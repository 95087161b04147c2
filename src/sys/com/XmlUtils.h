#pragma once
#include "sys/com/MsXml.h"

#include <string>

// XML operations of the shared utility library. Never instantiated.
class TXml {
public:
    TXml() = delete;

    // The attribute's text; Default when Node is absent or lacks it. A present but empty
    // attribute gives the empty text.
    static std::wstring NodeAttribute(const TXmlNode& Node, const std::wstring& AttName,
                                      const std::wstring& Default);
    // The attribute's text; raises "Mandatory attribute "<name>" not found" when it is missing.
    static std::wstring NodeAttribute(const TXmlNode& Node, const std::wstring& AttName);
};
