#include "logging/support/ProcessInfo.h"

#include <windows.h>

namespace ProcessInfo {

std::wstring ExePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring ExeFileName() {
    std::wstring path = ExePath();
    size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring ApplicationId() {
    std::wstring name = ExeFileName();
    size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring InstanceId() {
    return std::to_wstring(GetCurrentProcessId());
}

// Every trace line names its thread: the digits are written here, not through the C library's
// formatting.
std::wstring CurrentThreadId() {
    wchar_t digits[10];
    wchar_t* end = digits + 10;
    wchar_t* at = end;
    DWORD id = GetCurrentThreadId();
    do {
        *--at = static_cast<wchar_t>(L'0' + id % 10);
        id /= 10;
    } while (id != 0);
    return std::wstring(at, end);
}

std::wstring UserName() {
    wchar_t buffer[256];
    DWORD size = 256;
    if (!GetUserNameW(buffer, &size) || size == 0)
        return {};
    return std::wstring(buffer, size - 1); // the count includes the terminating zero
}

std::wstring HostName() {
    wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(buffer, &size))
        return {};
    return std::wstring(buffer);
}

} // namespace ProcessInfo
