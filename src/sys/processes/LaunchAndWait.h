#pragma once
#include "sys/files/ProvenPath.h"

#include <windows.h>

#include <string>

// Starts CmdLine (wide text, unchanged) and waits up to Timeout ms for its exit code.
// Suspended starts the program suspended and resumes it after MapId. Program is the program to
// start, proven out of other users' reach (no search); CmdLine still names it first.
int LaunchAndWait(const std::wstring& CmdLine, DWORD Timeout, WORD CmdShow, bool Suspended,
                  const std::wstring& Path, const FileSystem::TProvenPath& Program);

// Registers a started process with the office-mapping server, which this program does not
// ship; kept so that a suspended start keeps its sequence.
void MapId(DWORD ProcessId, bool AutoLogon, const std::wstring& OfficeIds);
