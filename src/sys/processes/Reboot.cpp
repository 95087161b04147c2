#include "sys/processes/Reboot.h"
#include "core/Exception.h"
#include "core/Handle.h"
#include "logging/Logger.h"
#include "sys/shared/Procs.h"

namespace {

// Made on first use: a program that replaces the request while it starts (a static object of
// a test build) must not find it set back by this file's own start-up afterwards.
TExitWindowsFunc& ExitWindowsSlot() {
    static TExitWindowsFunc func = ExitWindowsEx;
    return func;
}

void EnableShutdownPrivilege() {
    TKernelHandle token;
    CheckTraced(
        OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Put()),
        L"OpenProcessToken failed");
    TOKEN_PRIVILEGES privileges{};
    CheckTraced(
        LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid),
        L"LookupPrivilegeValue failed");
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    TOKEN_PRIVILEGES previous{};
    DWORD previousLength = 0;
    CheckTraced(AdjustTokenPrivileges(token.Get(), FALSE, &privileges, sizeof(previous), &previous,
                                      &previousLength),
                L"AdjustTokenPrivileges failed");
}

} // namespace

TExitWindowsFunc SetExitWindowsFunc(TExitWindowsFunc Func) {
    TExitWindowsFunc previous = ExitWindowsSlot();
    ExitWindowsSlot() = Func ? Func : ExitWindowsEx;
    return previous;
}

void Reboot(UINT ExitCode) {
    GetLogger().Write(L"Reboot()", ttInformation);
    RebootOnNt(ExitCode);
}

void RebootOnNt(UINT ExitCode) {
    GetLogger().Write(L"RebootOnNt...", ttInformation);
    try {
        EnableShutdownPrivilege();
        CheckTraced(ExitWindowsSlot()(EWX_REBOOT, 0), L"ExitWindowsEx failed");
    } catch (const Exception& e) {
        DoException(L"RebootOnNt() failed (%s)", {e.Message()});
    }
    ExitProcess(ExitCode);
}
