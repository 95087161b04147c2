#pragma once
#include "core/Format.h"
#include "sys/files/ProvenPath.h"

#include <windows.h>

#include <string>

// How a command runner reports a failure: traced through DoException with LastErrorText, or
// as a plain Exception with SystemErrorText.
enum class TLaunchErrors { Traced, Plain };

// The sequence both runners share: start CmdLine (wide, unchanged), optionally suspended and
// resumed after MapId, wait up to Timeout ms and return the exit code. The program's handles
// are closed on every path; a program that timed out keeps running. Program is the program to
// start, proven out of other users' reach, so that the platform searches nothing; CmdLine
// still names it first, as the program expects. A program that names something else by now
// than when it was proven is not started.
int LaunchProcess(const std::wstring& CmdLine, DWORD Timeout, WORD CmdShow, bool Suspended,
                  const std::wstring& Path, TLaunchErrors Errors,
                  const FileSystem::TProvenPath& Program);
