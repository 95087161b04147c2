#include "core/SystemError.h"

#include "core/Exception.h"
#include "core/Format.h"

std::wstring SystemMessage(DWORD Code) {
    wchar_t* buffer = nullptr;
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                           FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                       nullptr, Code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer && length ? std::wstring(buffer, length) : std::wstring());
    LocalFree(buffer);
    return text;
}

std::wstring SystemErrorText(DWORD Code) {
    std::wstring text = SystemMessage(Code);
    while (!text.empty() && (text.back() == L'.' || text.back() <= L' '))
        text.pop_back();
    return text;
}

std::wstring ComErrorText(HRESULT Hr) {
    std::wstring text = SystemErrorText(static_cast<DWORD>(Hr));
    std::wstring code = Format(L"0x%.8x", {static_cast<unsigned long>(Hr)});
    return text.empty() ? code : text + L" (" + code + L")";
}

void RaiseSystemError(const std::wstring& What, DWORD Code) {
    std::wstring text = SystemErrorText(Code);
    if (text.empty())
        text = Format(L"0x%x", {static_cast<unsigned long>(Code)});
    throw Exception(What + L" (" + text + L")");
}

void RaiseComError(const std::wstring& What, HRESULT Hr) {
    throw Exception(What + L" (" + ComErrorText(Hr) + L")");
}
