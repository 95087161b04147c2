#pragma once
#include "core/Handle.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Finding the suite's running programs by the file name of their executable, and ending them.
// Neither routine writes trace lines; the process step reports under its own name.

// The match rule: the whole file name, extension included, ASCII letter case ignored; no
// trimming, no wildcards.
[[nodiscard]] bool ProcessNameMatches(const std::wstring& ExeName, const std::wstring& Name);

// The first running process, in the system's order, whose executable is named Name, opened with
// PROCESS_ALL_ACCESS into Handle. False when none is found; Handle is then empty. On NT the
// process list is read (FindProcessByModule), elsewhere a snapshot.
[[nodiscard]] bool FindProcess(const std::wstring& Name, TKernelHandle& Handle);

// The whole process list, however many processes run (the buffer grows until it fits). The
// name is the first module's base name, or, when that cannot be read (a 64-bit process seen
// from this 32-bit program), the file part of the process image name. A process that cannot be
// opened with full access is skipped. The list cannot be read: raises with the system's text.
[[nodiscard]] bool FindProcessByModule(const std::wstring& Name, TKernelHandle& Handle);
// The identifiers of every running process whose executable is named Name and that
// FindProcess would find (opened with full access), in the system's order; none is opened
// for longer than its look-up. What a preview of the process step reports.
[[nodiscard]] std::vector<DWORD> FindProcessIds(const std::wstring& Name);
// The snapshot walk of the platforms outside NT. True for a match even when opening the process
// failed; Handle is then empty.
[[nodiscard]] bool FindProcessBySnapshot(const std::wstring& Name, TKernelHandle& Handle);

// Terminates the process (exit code 0xFFFFFFFF) when it is still running and returns true;
// false, doing nothing, when it has ended or its exit code cannot be read. Termination is
// requested, not awaited. Refused: raises "Process32Stop TerminateProcess failed (<text>)".
bool Process32Stop(HANDLE Handle);

// Waits up to TimeoutMs for the process to end; true when it has.
[[nodiscard]] bool WaitForProcessEnd(HANDLE Handle, DWORD TimeoutMs);
// When the process was created and the current time, in the system's 100-nanosecond units;
// the creation time is 0 when it cannot be read.
[[nodiscard]] uint64_t ProcessCreationTime(HANDLE Handle);
[[nodiscard]] uint64_t SystemTimeNow();
