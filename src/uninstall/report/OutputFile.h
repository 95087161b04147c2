#pragma once
#include "sys/files/ProvenPath.h"

#include <string>

// The full path of a file the command line names (the log, the report) as typed: a relative
// path is taken from the current folder. Every missing folder on the way is made. Raises, with
// the system's text, when the path cannot be read, names no file, names a folder or a
// read-only file, its folder cannot be made, or other users can change where it goes (a link in
// the path or at the name, a folder above within their reach). The file is written through
// the proven path it gives.
FileSystem::TProvenPath PreparedOutputFile(const std::wstring& Typed);
