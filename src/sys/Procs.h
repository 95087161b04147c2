#pragma once
#include "core/Format.h"
#include "core/SystemError.h"

#include <windows.h>

#include <string>

// The suite's shared routines: error convention, error texts, registry root names, command-line
// splitting, forced deletion, computer name, folder walking, restart and command execution.

// Traces "DoException: " + Msg as an error line without a sender, then raises Exception(Msg).
[[noreturn]] void DoException(const std::wstring& Msg);
// Fills Fmt with Args first; a format that does not fit its arguments is used as it stands.
[[noreturn]] void DoException(const std::wstring& Fmt, const TVarRecs& Args);
// The traced form of CheckBool: a failed call raises "<What> (<LastErrorText>)" through
// DoException.
void CheckTraced(BOOL Ok, const std::wstring& What);

// SystemErrorText (core/SystemError.h) is the platform's message for a code.
// The calling thread's last error as "text (0xCODE)", or "0xCODE" when there is no text.
std::wstring LastErrorText();

bool TextIsTrue(const std::wstring& S);
HKEY StrToHKey(const std::wstring& S);
std::wstring HKeyToStr(HKEY Key);
std::wstring FetchStr(std::wstring& S, wchar_t Sep);

// Deletes a file, clearing its attributes when a plain delete fails; a missing file is no error.
void ForceDeleteFile(const std::wstring& FileName);
// NetBIOS name of this computer, "Unknown" when it cannot be read.
std::wstring ComputerName();
// The folder above Path, with a trailing backslash; a path of 3 characters or fewer stays.
std::wstring ParentFolder(const std::wstring& Path);

// Restarts the computer and ends the process with ExitCode once the request is accepted;
// returns only by raising.
[[noreturn]] void Reboot(UINT ExitCode = 0);
[[noreturn]] void RebootOnNt(UINT ExitCode = 0);

// The one call that must not really happen in a test: the restart request itself.
using TExitWindowsFunc = BOOL(WINAPI*)(UINT Flags, DWORD Reason);
// Replaces the restart request; nullptr restores ExitWindowsEx. Returns the previous one.
TExitWindowsFunc SetExitWindowsFunc(TExitWindowsFunc Func);

// True when the process's command line holds "server.engine", ASCII case ignored.
bool IsServerEngine();

// Starts CmdLine (wide text, unchanged) and waits up to Timeout ms for its exit code.
// Suspended starts the program suspended and resumes it after MapId. Program, when given, is
// the full path of the program to start (no search); CmdLine still names it first.
int LaunchAndWait(const std::wstring& CmdLine, DWORD Timeout, WORD CmdShow, bool Suspended,
                  const std::wstring& Path = L"", const std::wstring& Program = L"");

// Registers a started process with the office-mapping server, which this program does not
// ship; kept so that a suspended start keeps its sequence.
void MapId(DWORD ProcessId, bool AutoLogon, const std::wstring& OfficeIds);
