#include "core/Exception.h"
#include "core/Handle.h"
#include "logging/Logger.h"
#include "sys/Procs.h"

namespace {

TExitWindowsFunc GExitWindows = ExitWindowsEx;

void EnableShutdownPrivilege() {
    TKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Put()))
        DoException(L"OpenProcessToken failed (%s)", {LastErrorText()});
    TOKEN_PRIVILEGES privileges{};
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        DoException(L"LookupPrivilegeValue failed (%s)", {LastErrorText()});
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    TOKEN_PRIVILEGES previous{};
    DWORD previousLength = 0;
    if (!AdjustTokenPrivileges(token.Get(), FALSE, &privileges, sizeof(previous), &previous,
                               &previousLength))
        DoException(L"AdjustTokenPrivileges failed (%s)", {LastErrorText()});
}

} // namespace

TExitWindowsFunc SetExitWindowsFunc(TExitWindowsFunc Func) {
    TExitWindowsFunc previous = GExitWindows;
    GExitWindows = Func ? Func : ExitWindowsEx;
    return previous;
}

void Reboot() {
    GetLogger().Write(L"Reboot()", ttInformation);
    RebootOnNt();
}

void RebootOnNt() {
    GetLogger().Write(L"RebootOnNt...", ttInformation);
    try {
        EnableShutdownPrivilege();
        if (!GExitWindows(EWX_REBOOT, 0))
            DoException(L"ExitWindowsEx failed (%s)", {LastErrorText()});
    } catch (const Exception& e) {
        DoException(L"RebootOnNt() failed (%s)", {e.Message()});
    }
    ExitProcess(0);
}
