#include "sys/files/AdminOnlyFolder.h"

#include "core/Handle.h"
#include "sys/files/UserControl.h"

#include <windows.h>

#include <sddl.h>

namespace FileSystem {

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
    // A new name each time: a folder that already exists under it may be anyone's.
    const std::wstring folder = std::wstring(root) + L"Uninstall.Pending." +
                                std::to_wstring(GetCurrentProcessId()) + L"." +
                                std::to_wstring(GetTickCount());
    if (!CreateDirectoryW(folder.c_str(), &security))
        return {};
    if (!UserControlReason(folder).empty()) {
        RemoveDirectoryW(folder.c_str());
        return {};
    }
    return folder;
}

} // namespace FileSystem
