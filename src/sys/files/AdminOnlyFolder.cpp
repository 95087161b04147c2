#include "sys/files/AdminOnlyFolder.h"

#include "core/Handle.h"
#include "sys/files/UserControl.h"

#include <windows.h>

#include <ntsecapi.h>
#include <sddl.h>

namespace FileSystem {

namespace {

constexpr int Attempts = 8;

// 128 random bits as 32 hexadecimal digits: a name no other user can guess and make first.
std::wstring RandomName() {
    unsigned char bytes[16] = {};
    if (!RtlGenRandom(bytes, sizeof bytes))
        return {};
    std::wstring name;
    for (unsigned char byte : bytes) {
        const wchar_t* digits = L"0123456789abcdef";
        name += digits[byte >> 4];
        name += digits[byte & 15];
    }
    return name;
}

} // namespace

std::wstring NewAdminOnlyFolder(const std::wstring& Path) {
    wchar_t root[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(Path.c_str(), root, MAX_PATH))
        return {};
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    // Owned by the administrators; they and the system alone have any access, inherited by
    // everything moved or made inside.
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)", SDDL_REVISION_1, &descriptor, nullptr))
        return {};
    TLocalMemory owned(descriptor);
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
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

} // namespace FileSystem
