#include "sys/files/AdminOnlyFolder.h"

#include "core/Handle.h"
#include "core/Text.h"
#include "sys/files/FileEntry.h"
#include "sys/files/RandomName.h"
#include "sys/files/UserControl.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

namespace FileSystem {

namespace {

constexpr int Attempts = 8;

// Owned by the administrators; they and the system alone have any access, inherited by
// everything moved or made inside.
const wchar_t AdminsOnly[] = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

// The descriptor of AdminsOnly, for the life of the object.
class TAdminsOnly {
public:
    TAdminsOnly() {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorW(AdminsOnly, SDDL_REVISION_1,
                                                                 &descriptor, nullptr))
            FDescriptor.Reset(descriptor);
    }
    PSECURITY_DESCRIPTOR Get() const { return FDescriptor.Get(); }
    PSID Owner() const {
        PSID owner = nullptr;
        BOOL defaulted = FALSE;
        GetSecurityDescriptorOwner(Get(), &owner, &defaulted);
        return owner;
    }
    PACL Dacl() const {
        PACL dacl = nullptr;
        BOOL present = FALSE, defaulted = FALSE;
        GetSecurityDescriptorDacl(Get(), &present, &dacl, &defaulted);
        return dacl;
    }

private:
    TLocalMemory FDescriptor;
};

// One entry, opened as itself (a link is not followed). Where the owner cannot be set (a file
// system that keeps none of its own, as Wine's), the access list alone is.
DWORD TakeEntry(const std::wstring& Path, const TAdminsOnly& Security) {
    TFileHandle entry = OpenAsItself(Path, READ_CONTROL | WRITE_DAC | WRITE_OWNER);
    if (!entry)
        return GetLastError();
    const SECURITY_INFORMATION dacl =
        DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;
    if (SetSecurityInfo(entry.Get(), SE_FILE_OBJECT, dacl | OWNER_SECURITY_INFORMATION,
                        Security.Owner(), nullptr, Security.Dacl(), nullptr) == ERROR_SUCCESS)
        return 0;
    return SetSecurityInfo(entry.Get(), SE_FILE_OBJECT, dacl, nullptr, nullptr, Security.Dacl(),
                           nullptr);
}

// The folder first, so that nobody adds to it meanwhile, then what is in it.
DWORD TakeTree(const std::wstring& Folder, const TAdminsOnly& Security) {
    DWORD first = TakeEntry(Folder, Security);
    ForEachEntry(Folder + L"\\", [&](const TEntry& entry) {
        const std::wstring path = Folder + L"\\" + entry.Name;
        const DWORD rc = entry.IsFolder() && !entry.IsLink() ? TakeTree(path, Security)
                                                             : TakeEntry(path, Security);
        if (first == 0)
            first = rc;
    });
    return first;
}

} // namespace

std::wstring NewAdminOnlyFolder(const std::wstring& Path) {
    wchar_t root[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(Path.c_str(), root, MAX_PATH))
        return {};
    const TAdminsOnly admins;
    if (!admins.Get())
        return {};
    SECURITY_ATTRIBUTES security{sizeof security, admins.Get(), FALSE};
    // A new name each time: a folder that already exists under it may be anyone's, so a name
    // that is taken is never used, and another is tried.
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        const std::wstring name = RandomName();
        if (name.empty())
            return {};
        const std::wstring folder = std::wstring(root) + L"Uninstall.Pending." + name;
        if (!CreateDirectoryW(folder.c_str(), &security)) {
            if (GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return {};
        }
        // What the system made may still be in other users' reach (a volume that keeps no
        // permissions): then it is no place for what waits for the restart.
        if (!UserControlReason(folder).empty()) {
            RemoveDirectoryW(folder.c_str());
            return {};
        }
        return folder;
    }
    return {};
}

DWORD TakeTreeFromUsers(const std::wstring& Folder) {
    const TAdminsOnly admins;
    if (!admins.Get())
        return GetLastError();
    return TakeTree(WithoutTrailingBackslash(Folder), admins);
}

} // namespace FileSystem
