#include "sys/processes/SingleInstance.h"
#include "core/SystemError.h"
#include "sys/files/UserControl.h"

#include <aclapi.h>

namespace {

// Whether the mutex was made by one of the accounts that may run this program: any user can
// make an object of the name first, to keep every uninstaller from running. An object with no
// owner at all (Wine keeps none for objects made without a descriptor) cannot be told apart
// and counts as the program's.
bool MadeByTrustedAccount(HANDLE Mutex) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(Mutex, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    TLocalMemory owned(descriptor);
    return !owner || FileSystem::IsTrustedAccount(owner);
}

} // namespace

TSingleInstance::TSingleInstance(const std::wstring& Name) {
    // The token's default access: an administrator's gives the administrators and the system
    // alone the right to open it.
    FMutex.Reset(CreateMutexW(nullptr, FALSE, Name.c_str()));
    const DWORD error = GetLastError();
    // An object of the name that this administrator may not open, or that another account
    // made, is no uninstaller's: it holds the name, but runs nothing.
    if (!FMutex && error == ERROR_ACCESS_DENIED) {
        FFirst = true;
        FTaken = true;
        return;
    }
    CheckHandle(FMutex.Get(), L"CreateMutex failed");
    if (error != ERROR_ALREADY_EXISTS) {
        FFirst = true;
    } else if (!MadeByTrustedAccount(FMutex.Get())) {
        FFirst = true;
        FTaken = true;
    }
}
