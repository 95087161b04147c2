#pragma once
#include "sys/files/ProvenPath.h"

#include <string>

// The program a command line starts, found without the uninstaller's own folder and the
// current folder: the platform's own search would try both first, so a net.exe planted beside
// the uninstaller or in the folder it was started from would run with its rights.
//
// The first word of CmdLine (quoted or not) names the program. A name with a folder is used
// as given and gives an empty text: the platform then searches nothing. A bare name, with
// ".exe" added when it has no extension, is looked up in the system folder, then in the
// absolute folders of the machine's search path; the first file found is the result. A name
// found nowhere gives its place in the system folder, so that starting it fails as a missing
// program, never falls back to the platform's search.
std::wstring ResolveProgram(const std::wstring& CmdLine);

// The program CmdLine starts (ResolveProgram's, or the path its first word names), proven out
// of other users' reach. Raises "LaunchAndWait "<CmdLine>" failed (<why>)" when it is not: a
// program another user can change would run their code with this program's rights.
FileSystem::TProvenPath ProvenProgram(const std::wstring& CmdLine);
