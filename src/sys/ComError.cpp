#include "sys/ComError.h"

#include "core/Format.h"

std::wstring ComErrorText(HRESULT Hr) {
    wchar_t* buffer = nullptr;
    DWORD size = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(Hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", size);
    if (buffer)
        LocalFree(buffer);
    while (!text.empty() && (text.back() <= L' ' || text.back() == L'.'))
        text.pop_back();
    std::wstring code = Format(L"0x%.8x", {static_cast<unsigned long>(Hr)});
    return text.empty() ? code : text + L" (" + code + L")";
}
