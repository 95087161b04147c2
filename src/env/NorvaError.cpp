#include "env/NorvaError.h"

#include "core/Format.h"
#include "core/Text.h"

#include <utility>

ENorvaError::ENorvaError(std::wstring Code, std::wstring Text)
    : Exception(Code), FCode(std::move(Code)), FText(std::move(Text)) {}

std::wstring CodedErrorFormat(const std::wstring& Code) {
    struct TCodedError {
        const wchar_t* Code;
        const wchar_t* Format;
    };
    // The rows this program raises; the suite's other programs carry their own.
    static const TCodedError table[] = {
        {L"CLT.COMMON.SETTINGS.0003", L"Read string error (%s)"},
    };
    for (const auto& row : table)
        if (SameTextAscii(Code, row.Code))
            return row.Format;
    return L"";
}

ENorvaError TNorvaObject::CodedError(const std::wstring& Code, const std::wstring& Argument) const {
    std::wstring format = CodedErrorFormat(Code);
    std::wstring text;
    try {
        text = Format(format, {Argument});
    } catch (const Exception&) {
        text = format + L"<" + Argument + L">";
    }
    return ENorvaError(Code, ClassName() + L"." + text);
}

void TNorvaObject::RaiseCodedError(const std::wstring& Code, const std::wstring& Argument) const {
    throw CodedError(Code, Argument);
}
