#pragma once
#include <windows.h>

// Restarts the computer and ends the process with ExitCode once the request is accepted;
// returns only by raising.
[[noreturn]] void Reboot(UINT ExitCode = 0);
[[noreturn]] void RebootOnNt(UINT ExitCode = 0);

// The one call that must not really happen in a test: the restart request itself.
using TExitWindowsFunc = BOOL(WINAPI*)(UINT Flags, DWORD Reason);
// Replaces the restart request; nullptr restores ExitWindowsEx. Returns the previous one.
TExitWindowsFunc SetExitWindowsFunc(TExitWindowsFunc Func);
