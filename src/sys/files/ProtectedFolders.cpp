#include "sys/files/ProtectedFolders.h"

#include "core/Handle.h"
#include "core/Text.h"
#include "sys/files/FileEntry.h"
#include "sys/registry/MachineEnvironment.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

using FileSystem::ResolvedSpelling;
using FileSystem::TEntryHandle;
using FileSystem::TIdentity;

namespace {

bool IsAbsolute(const std::wstring& path) {
    bool drive = path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' &&
                 (path[2] == L'\\' || path[2] == L'/');
    bool unc = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' &&
               path[2] != L'.';
    return drive || unc;
}

bool IsDriveRoot(const std::wstring& resolved) {
    return resolved.size() <= 3 && resolved.size() >= 2 && resolved[1] == L':';
}

bool IsShareRoot(const std::wstring& resolved) {
    return resolved.rfind(L"\\\\", 0) == 0 &&
           std::count(resolved.begin() + 2, resolved.end(), L'\\') <= 1;
}

// One folder that must stay, as the system resolved it when the guard was built.
struct TProtected {
    TIdentity Id;
    std::wstring Final;
    const wchar_t* Reason;
};

class TProtectedSet {
public:
    TProtectedSet() {
        wchar_t path[MAX_PATH] = {};
        if (GetWindowsDirectoryW(path, MAX_PATH)) {
            Windows = Resolve(path);
            Add(path, SystemFolder);
            Add(std::wstring(path) + L"\\Fonts", SystemFolder);
            // The 64-bit system folder, which a 32-bit program reaches only by this name.
            Add(std::wstring(path) + L"\\Sysnative", SystemFolder);
        }
        if (GetSystemDirectoryW(path, MAX_PATH))
            Add(path, SystemFolder);
        if (GetSystemWow64DirectoryW(path, MAX_PATH))
            Add(path, SystemFolder);
        if (GetTempPathW(MAX_PATH, path))
            Add(path, SystemFolder);
        for (int csidl : {CSIDL_WINDOWS,
                          CSIDL_SYSTEM,
                          CSIDL_SYSTEMX86,
                          CSIDL_FONTS,
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
            if (SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE) && path[0])
                Add(path, SystemFolder);
        for (const wchar_t* name :
             {L"ProgramW6432", L"ProgramFiles", L"ProgramFiles(x86)", L"CommonProgramW6432",
              L"CommonProgramFiles", L"CommonProgramFiles(x86)", L"ProgramData", L"ALLUSERSPROFILE",
              L"PUBLIC", L"SystemRoot", L"USERPROFILE"})
            Add(Environment(name), SystemFolder);
        AddUsersFolders();
        AddAncestors();
    }

    std::wstring Reason(const std::wstring& Path) const {
        const std::wstring resolved = ResolvedSpelling(Path);
        if (IsDriveRoot(resolved))
            return L"the path is a drive root";
        if (IsShareRoot(resolved))
            return L"the path is a share root";
        TEntryHandle entry(Path, false);
        if (!entry.Valid())
            return ReasonBySpelling(resolved);
        // What the handle names: the folder itself, or, where the platform follows a link
        // on opening, the link's target.
        const TIdentity id = entry.Identity();
        if (const TProtected* hit = Find(Folders, id))
            return hit->Reason;
        if (Find(Ancestors, id))
            return L"the path contains a system folder";
        if (std::wstring reason = ReasonByPlace(entry.FinalPath()); !reason.empty())
            return reason;
        if (PassesThroughLink(resolved))
            return L"the path passes through a link";
        return {};
    }

private:
    static constexpr const wchar_t* SystemFolder = L"the path is a system folder";

    static std::wstring Environment(const wchar_t* name) {
        wchar_t buffer[MAX_PATH] = {};
        DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH);
        return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
    }

    static TProtected Resolve(const std::wstring& path) {
        TEntryHandle entry(path, false);
        if (!entry.Valid())
            return {{}, ResolvedSpelling(path), nullptr};
        return {entry.Identity(), entry.FinalPath(), nullptr};
    }

    void Add(const std::wstring& path, const wchar_t* reason) {
        if (path.empty())
            return;
        TProtected folder = Resolve(path);
        folder.Reason = reason;
        Folders.push_back(folder);
    }

    static const wchar_t* const ProfileList;

    // A path value below the profile list (native view), expanded; empty when missing.
    static std::wstring ProfileListValue(const std::wstring& Subkey, const wchar_t* Name) {
        TRegKey list;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ProfileList, 0, KEY_READ | KEY_WOW64_64KEY,
                          list.Put()) != ERROR_SUCCESS)
            return {};
        wchar_t value[MAX_PATH] = {};
        DWORD bytes = sizeof value - sizeof(wchar_t);
        // Without RRF_NOEXPAND the two string types together are refused as a parameter error.
        if (RegGetValueW(list.Get(), Subkey.empty() ? nullptr : Subkey.c_str(), Name,
                         RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, value,
                         &bytes) != ERROR_SUCCESS)
            return {};
        // With the machine's variables: the process's own may be the user's.
        return MachineEnvironment::Expand(value, KEY_WOW64_64KEY);
    }

    // A profile root with the data folders every program of the user keeps its settings in.
    void AddProfile(const std::wstring& root) {
        if (root.empty())
            return;
        Add(root, L"the path is a user profile root");
        for (const wchar_t* data :
             {L"\\AppData", L"\\AppData\\Roaming", L"\\AppData\\Local", L"\\AppData\\LocalLow"})
            Add(root + data, SystemFolder);
    }

    // The folders that hold the profiles, every profile the system knows of (also those of
    // users not logged on), and every folder directly below the users folders.
    void AddUsersFolders() {
        std::vector<std::wstring> users{ProfileListValue(L"", L"ProfilesDirectory")};
        wchar_t profile[MAX_PATH] = {};
        if (SHGetSpecialFolderPathW(nullptr, profile, CSIDL_PROFILE, FALSE))
            users.push_back(ParentOf(ResolvedSpelling(profile)));
        users.push_back(ParentOf(ResolvedSpelling(Environment(L"PUBLIC"))));
        for (const auto& folder : users) {
            if (folder.empty())
                continue;
            Add(folder, L"the path is the users folder");
            Users.push_back(Resolve(folder));
        }
        TRegKey list;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ProfileList, 0, KEY_READ | KEY_WOW64_64KEY,
                          list.Put()) == ERROR_SUCCESS) {
            wchar_t name[256];
            DWORD size = 256;
            for (DWORD i = 0; RegEnumKeyExW(list.Get(), i, name, &size, nullptr, nullptr, nullptr,
                                            nullptr) == ERROR_SUCCESS;
                 ++i, size = 256)
                AddProfile(ProfileListValue(name, L"ProfileImagePath"));
        }
        AddProfile(profile);
    }

    // Every folder above a protected one: deleting it would delete the protected one.
    void AddAncestors() {
        for (const auto& folder : Folders)
            for (std::wstring up = ParentOf(folder.Final); !up.empty(); up = ParentOf(up)) {
                TProtected ancestor = Resolve(up);
                if (!Find(Ancestors, ancestor.Id) && !Find(Folders, ancestor.Id))
                    Ancestors.push_back(ancestor);
            }
    }

    static const TProtected* Find(const std::vector<TProtected>& list, const TIdentity& id) {
        if (id == TIdentity{})
            return nullptr;
        for (const auto& folder : list)
            if (folder.Id == id)
                return &folder;
        return nullptr;
    }

    // By where the object lies: inside the Windows folder, or directly below a users folder.
    std::wstring ReasonByPlace(const std::wstring& final) const {
        if (PathBelow(final, Windows.Final))
            return L"the path is inside the Windows folder";
        for (const auto& users : Users)
            if (PathBelow(final, users.Final) &&
                final.find(L'\\', users.Final.size() + 1) == std::wstring::npos)
                return L"the path is a user profile root";
        return {};
    }

    // For a path that cannot be opened (missing, or out of reach): compared as the system
    // spells it.
    std::wstring ReasonBySpelling(const std::wstring& resolved) const {
        for (const auto& folder : Folders)
            if (SameText(resolved, folder.Final))
                return folder.Reason;
        for (const auto& folder : Ancestors)
            if (SameText(resolved, folder.Final))
                return L"the path contains a system folder";
        return ReasonByPlace(resolved);
    }

    // A folder on the way that the system puts elsewhere than its spelling says is a link
    // (or a redirected system folder): what lies below it is not what the path promises.
    static bool PassesThroughLink(const std::wstring& resolved) {
        for (std::wstring up = ParentOf(resolved); !up.empty(); up = ParentOf(up)) {
            TEntryHandle parent(up, false);
            if (parent.Valid() && !parent.IsPlain(up))
                return true;
        }
        return false;
    }

    TProtected Windows;
    std::vector<TProtected> Folders;
    std::vector<TProtected> Users;
    std::vector<TProtected> Ancestors;
};

const wchar_t* const TProtectedSet::ProfileList =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

const TProtectedSet& Protected() {
    static const TProtectedSet set;
    return set;
}

bool MatchesEveryName(const std::wstring& mask) {
    return mask.find_first_not_of(L"*?.") == std::wstring::npos &&
           mask.find(L'*') != std::wstring::npos;
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
    return Protected().Reason(Path);
}

std::wstring FileSearchReason(const std::wstring& Folder, const std::wstring& Mask) {
    if (std::wstring reason = PathFormReason(Folder); !reason.empty())
        return reason;
    const std::wstring resolved = ResolvedSpelling(Folder);
    TEntryHandle entry(Folder, false);
    if (entry.Valid() && !entry.IsPlain(resolved))
        return L"the path is a link";
    std::wstring reason = ProtectedFolderReason(Folder);
    if (reason == L"the path passes through a link")
        return reason;
    if (!reason.empty() && MatchesEveryName(Mask))
        return reason + L", and the mask matches every file";
    return {};
}
