#include "logging/appenders/ModuleInfo.h"
#include "core/Format.h"
#include "logging/support/Report.h"

#include <windows.h>

#include <vector>

namespace {

constexpr DWORD NameBufferSize = 1025;

} // namespace

std::wstring GetLogHost() {
    std::lock_guard<std::recursive_mutex> lock(LoggerLock());
    std::vector<wchar_t> buffer(NameBufferSize);
    DWORD size = NameBufferSize;
    if (!GetComputerNameW(buffer.data(), &size))
        return L"Unknown";
    return std::wstring(buffer.data(), size);
}

std::wstring GetLogUser() {
    std::lock_guard<std::recursive_mutex> lock(LoggerLock());
    std::vector<wchar_t> buffer(NameBufferSize);
    DWORD size = NameBufferSize;
    if (!GetUserNameW(buffer.data(), &size) || size == 0)
        return L"Unknown";
    return std::wstring(buffer.data(), size - 1); // the count includes the terminating zero
}

std::wstring GetModuleVersion(const std::wstring& fileName, const std::wstring& key) {
    std::lock_guard<std::recursive_mutex> lock(LoggerLock());
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(fileName.c_str(), &handle);
    if (size == 0)
        return {};
    std::vector<char> data(size + 1);
    if (!GetFileVersionInfoW(fileName.c_str(), 0, size, data.data()))
        throw EModuleInfo(L"GetFileVersionInfo failed");
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
        length < sizeof(DWORD))
        throw EModuleInfo(L"VarQueryValue failed");
    DWORD translation = *static_cast<const DWORD*>(value);
    // Language first, then code page: 040904B0.
    std::wstring block = Format(L"%.4x%.4x", {translation & 0xFFFFu, translation >> 16});
    std::wstring path = L"\\StringFileInfo\\" + block + L"\\" + key;
    if (!VerQueryValueW(data.data(), path.c_str(), &value, &length) || length == 0)
        return {};
    const wchar_t* text = static_cast<const wchar_t*>(value);
    std::wstring result(text, length);
    while (!result.empty() && result.back() == L'\0')
        result.pop_back();
    return result;
}
