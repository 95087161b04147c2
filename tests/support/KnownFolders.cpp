#include "support/KnownFolders.h"

namespace test {

std::wstring KnownFolder(REFKNOWNFOLDERID Id) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(Id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path)
        result = path;
    CoTaskMemFree(path);
    return result;
}

std::wstring SpecialFolder(int Csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, Csidl, FALSE);
    return path;
}

std::wstring WindowsFolder() {
    wchar_t path[MAX_PATH] = {};
    GetWindowsDirectoryW(path, MAX_PATH);
    return path;
}

std::wstring ShortName(const std::wstring& Path) {
    wchar_t path[MAX_PATH] = {};
    GetShortPathNameW(Path.c_str(), path, MAX_PATH);
    return path;
}

} // namespace test
