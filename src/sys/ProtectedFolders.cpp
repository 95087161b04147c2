#include "sys/ProtectedFolders.h"
#include "core/Handle.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

namespace {

std::wstring Upper(std::wstring text) {
    if (!text.empty())
        CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Full, upper-cased, without trailing delimiters; "C:" for a drive root.
std::wstring Normal(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 2];
    DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 2, buffer, nullptr);
    std::wstring full = n > 0 && n < MAX_PATH * 2 ? std::wstring(buffer, n) : path;
    while (!full.empty() && (full.back() == L'\\' || full.back() == L'/'))
        full.pop_back();
    return Upper(full);
}

void AddSpecial(std::vector<std::wstring>& folders, int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE) && path[0])
        folders.push_back(Normal(path));
}

void AddText(std::vector<std::wstring>& folders, const std::wstring& path) {
    if (!path.empty())
        folders.push_back(Normal(path));
}

std::wstring Environment(const wchar_t* name) {
    wchar_t buffer[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

const wchar_t* const ProfileList = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

// A path value below the profile list (native view), expanded; empty when missing.
std::wstring ProfileListValue(const std::wstring& Subkey, const wchar_t* Name) {
    TRegKey list;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ProfileList, 0, KEY_READ | KEY_WOW64_64KEY, list.Put()) !=
        ERROR_SUCCESS)
        return {};
    wchar_t value[MAX_PATH] = {};
    DWORD bytes = sizeof value - sizeof(wchar_t);
    if (RegGetValueW(list.Get(), Subkey.empty() ? nullptr : Subkey.c_str(), Name,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
        return {};
    return value;
}

// Every profile folder the system knows of, also those of users not logged on.
void AddProfiles(std::vector<std::wstring>& folders) {
    TRegKey list;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ProfileList, 0, KEY_READ | KEY_WOW64_64KEY, list.Put()) !=
        ERROR_SUCCESS)
        return;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = 256;
        if (RegEnumKeyExW(list.Get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        AddText(folders, ProfileListValue(name, L"ProfileImagePath"));
    }
}

const std::vector<std::wstring>& SystemFolders() {
    static const std::vector<std::wstring> folders = [] {
        std::vector<std::wstring> f;
        wchar_t path[MAX_PATH] = {};
        if (GetWindowsDirectoryW(path, MAX_PATH))
            AddText(f, path);
        if (GetSystemDirectoryW(path, MAX_PATH))
            AddText(f, path);
        if (GetSystemWow64DirectoryW(path, MAX_PATH))
            AddText(f, path);
        if (GetTempPathW(MAX_PATH, path))
            AddText(f, path);
        for (int csidl : {CSIDL_WINDOWS,
                          CSIDL_SYSTEM,
                          CSIDL_SYSTEMX86,
                          CSIDL_PROGRAM_FILES,
                          CSIDL_PROGRAM_FILESX86,
                          CSIDL_PROGRAM_FILES_COMMON,
                          CSIDL_PROGRAM_FILES_COMMONX86,
                          CSIDL_COMMON_APPDATA,
                          CSIDL_PROFILE,
                          CSIDL_DESKTOPDIRECTORY,
                          CSIDL_COMMON_DESKTOPDIRECTORY,
                          CSIDL_STARTMENU,
                          CSIDL_COMMON_STARTMENU,
                          CSIDL_PROGRAMS,
                          CSIDL_COMMON_PROGRAMS,
                          CSIDL_STARTUP,
                          CSIDL_COMMON_STARTUP,
                          CSIDL_APPDATA,
                          CSIDL_LOCAL_APPDATA,
                          CSIDL_PERSONAL,
                          CSIDL_COMMON_DOCUMENTS})
            AddSpecial(f, csidl);
        for (const wchar_t* name :
             {L"ProgramW6432", L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramData",
              L"ALLUSERSPROFILE", L"PUBLIC", L"SystemRoot", L"USERPROFILE"})
            AddText(f, Environment(name));
        AddProfiles(f);
        return f;
    }();
    return folders;
}

std::wstring ParentOf(const std::wstring& normal) {
    size_t slash = normal.find_last_of(L'\\');
    return slash == std::wstring::npos || slash < 3 ? std::wstring() : normal.substr(0, slash);
}

// The folders that hold the user profiles ("C:\Users"): the configured one, and the parents
// of the current and the public profile, should the configuration be missing.
const std::vector<std::wstring>& UsersFolders() {
    static const std::vector<std::wstring> folders = [] {
        std::vector<std::wstring> f;
        AddText(f, ProfileListValue(L"", L"ProfilesDirectory"));
        wchar_t profile[MAX_PATH] = {};
        if (SHGetSpecialFolderPathW(nullptr, profile, CSIDL_PROFILE, FALSE))
            AddText(f, ParentOf(Normal(profile)));
        AddText(f, ParentOf(Normal(Environment(L"PUBLIC"))));
        return f;
    }();
    return folders;
}

bool IsAbsolute(const std::wstring& path) {
    bool drive = path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' &&
                 (path[2] == L'\\' || path[2] == L'/');
    bool unc = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' &&
               path[2] != L'.';
    return drive || unc;
}

// "\\server" or "\\server\share", with or without a trailing delimiter.
bool IsShareRoot(const std::wstring& normal) {
    if (normal.size() < 3 || normal[0] != L'\\' || normal[1] != L'\\')
        return false;
    size_t separators = 0;
    for (size_t i = 2; i < normal.size(); ++i)
        if (normal[i] == L'\\')
            ++separators;
    return separators <= 1;
}

} // namespace

std::wstring PathFormReason(const std::wstring& Path) {
    if (Path.empty())
        return L"the path is empty";
    if (!IsAbsolute(Path))
        return L"the path is not absolute";
    return {};
}

std::wstring ProtectedFolderReason(const std::wstring& Path) {
    if (std::wstring reason = PathFormReason(Path); !reason.empty())
        return reason;
    const std::wstring normal = Normal(Path);
    if (normal.size() <= 2)
        return L"the path is a drive root";
    if (IsShareRoot(normal))
        return L"the path is a share root";
    for (const auto& folder : SystemFolders())
        if (normal == folder)
            return L"the path is a system folder";
    for (const auto& users : UsersFolders()) {
        if (normal == users)
            return L"the path is the users folder";
        // Every folder directly below the users folder is a profile root.
        if (normal.size() > users.size() + 1 && normal.compare(0, users.size(), users) == 0 &&
            normal[users.size()] == L'\\' &&
            normal.find(L'\\', users.size() + 1) == std::wstring::npos)
            return L"the path is a user profile root";
    }
    return {};
}
