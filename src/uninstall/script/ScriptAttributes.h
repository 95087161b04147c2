#pragma once
#include "core/Exception.h"
#include "sys/com/MsXml.h"

#include <string>

// An attribute that is missing or cannot be read as the type asked for. The message names
// the two types, as "Could not convert variant of type (Null) into type (OleStr)".
class EVariantTypeCastError : public EConvertError {
public:
    using EConvertError::EConvertError;
    std::wstring ClassName() const override { return L"EVariantTypeCastError"; }
};

// The ways a step reads an attribute of its element.
namespace ScriptAttr {

// The text as written; a missing attribute fails the step.
std::wstring RequiredText(const TXmlNode& Node, const std::wstring& Name);
// The text as written, or Default when missing. Present but empty gives "".
std::wstring OptionalText(const TXmlNode& Node, const std::wstring& Name,
                          const std::wstring& Default);
// True exactly for "True" in any ASCII case.
bool WordBool(const std::wstring& Text);
// "true", "false" (any case) or a number, 0 being false; missing fails the step.
bool RequiredValueBool(const TXmlNode& Node, const std::wstring& Name);
// As RequiredValueBool, but a missing attribute is false.
bool OptionalValueBool(const TXmlNode& Node, const std::wstring& Name);
// The reading of a present value behind the two above.
bool ValueBool(const std::wstring& Text);

} // namespace ScriptAttr
