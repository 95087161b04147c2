#include "uninstall/script/ScriptAttributes.h"

#include "core/Format.h"
#include "core/Text.h"

#include <cwchar>

namespace {

[[noreturn]] void CastError(const wchar_t* From, const wchar_t* To) {
    throw EVariantTypeCastError(
        Format(L"Could not convert variant of type (%s) into type (%s)", {From, To}));
}

std::wstring Trimmed(const std::wstring& s) {
    size_t first = s.find_first_not_of(L' ');
    if (first == std::wstring::npos)
        return {};
    return s.substr(first, s.find_last_not_of(L' ') - first + 1);
}

// A decimal number with optional sign, fraction and exponent; blanks around it allowed.
bool IsNumber(const std::wstring& Text, double& Value) {
    std::wstring s = Trimmed(Text);
    if (s.empty() || s.find_first_not_of(L"0123456789+-.eE") != std::wstring::npos)
        return false;
    wchar_t* end = nullptr;
    Value = std::wcstod(s.c_str(), &end);
    return end == s.c_str() + s.size();
}

} // namespace

namespace ScriptAttr {

std::wstring RequiredText(const TXmlNode& Node, const std::wstring& Name) {
    auto value = Node.Attribute(Name);
    if (!value)
        CastError(L"Null", L"OleStr");
    return *value;
}

std::wstring OptionalText(const TXmlNode& Node, const std::wstring& Name,
                          const std::wstring& Default) {
    return Node.Attribute(Name).value_or(Default);
}

bool WordBool(const std::wstring& Text) {
    return SameTextAscii(Text, L"True");
}

bool ValueBool(const std::wstring& Text) {
    if (SameTextAscii(Text, L"true"))
        return true;
    if (SameTextAscii(Text, L"false"))
        return false;
    double number = 0;
    if (!IsNumber(Text, number))
        CastError(L"OleStr", L"Boolean");
    return number != 0;
}

bool RequiredValueBool(const TXmlNode& Node, const std::wstring& Name) {
    auto value = Node.Attribute(Name);
    if (!value)
        CastError(L"Null", L"Boolean");
    return ValueBool(*value);
}

bool OptionalValueBool(const TXmlNode& Node, const std::wstring& Name) {
    auto value = Node.Attribute(Name);
    return value ? ValueBool(*value) : false;
}

} // namespace ScriptAttr
