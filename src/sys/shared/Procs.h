#pragma once
#include "core/Format.h"
#include "core/SystemError.h"

#include <windows.h>

#include <string>

// The suite's shared routines: error convention, error texts, registry root names, command-line
// splitting, computer name, folder walking. The same collection's forced deletion is in
// sys/files/ForceDelete.h, its restart in sys/processes/Reboot.h and its command execution in
// sys/processes/LaunchAndWait.h, each with the platform area it works on.

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

// NetBIOS name of this computer, "Unknown" when it cannot be read.
std::wstring ComputerName();
// The folder above Path (ParentOf, core/Text.h), with a trailing backslash; a path of 3
// characters or fewer, and a share's root, stay; a bare name gives "\".
std::wstring ParentFolder(const std::wstring& Path);

// True when the process's command line holds "server.engine", ASCII case ignored.
bool IsServerEngine();
