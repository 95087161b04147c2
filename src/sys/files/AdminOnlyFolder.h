#pragma once
#include <string>

namespace FileSystem {

// Makes a new folder in the root of Path's volume that only the administrators and the system
// may change: a place out of other users' reach for what has to wait for the next restart.
// Returns its path (without a trailing backslash); empty when none could be made, or when the
// folder made is still within another user's reach.
std::wstring NewAdminOnlyFolder(const std::wstring& Path);

} // namespace FileSystem
