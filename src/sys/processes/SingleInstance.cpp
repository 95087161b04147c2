#include "sys/processes/SingleInstance.h"
#include "core/SystemError.h"
#include "sys/shared/Accounts.h"

#include <aclapi.h>
#include <sddl.h>

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
    return !owner || IsTrustedAccount(owner);
}

} // namespace

TSingleInstance::TSingleInstance(const std::wstring& Name) {
    // Full access for the administrators and the system, whichever of them made it: an
    // administrator's run must be able to open the mutex of a run a deployment tool started as
    // the system, and the other way round, to learn that one runs. The owner is the token's.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    CheckBool(ConvertStringSecurityDescriptorToSecurityDescriptorW(
                  L"D:P(A;;GA;;;BA)(A;;GA;;;SY)", SDDL_REVISION_1, &descriptor, nullptr),
              L"CreateMutex failed");
    TLocalMemory owned(descriptor);
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    FMutex.Reset(CreateMutexW(&security, FALSE, Name.c_str()));
    const DWORD error = GetLastError();
    // An object of the name that an administrator may not open is none of ours: it holds the
    // name, but runs nothing.
    if (!FMutex && error == ERROR_ACCESS_DENIED) {
        FFirst = true;
        FTaken = true;
        return;
    }
    CheckHandle(FMutex.Get(), L"CreateMutex failed");
    if (error != ERROR_ALREADY_EXISTS) {
        FFirst = true;
    } else if (!MadeByTrustedAccount(FMutex.Get())) {
        // Its owner decides: another account's object is a squatter's, passed over.
        FFirst = true;
        FTaken = true;
    }
}
