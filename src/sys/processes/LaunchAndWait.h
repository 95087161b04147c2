#pragma once
#include <windows.h>

#include <string>

// Starts CmdLine (wide text, unchanged) and waits up to Timeout ms for its exit code.
// Suspended starts the program suspended and resumes it after MapId. Program, when given, is
// the full path of the program to start (no search); CmdLine still names it first.
int LaunchAndWait(const std::wstring& CmdLine, DWORD Timeout, WORD CmdShow, bool Suspended,
                  const std::wstring& Path = L"", const std::wstring& Program = L"");

// Registers a started process with the office-mapping server, which this program does not
// ship; kept so that a suspended start keeps its sequence.
void MapId(DWORD ProcessId, bool AutoLogon, const std::wstring& OfficeIds);
