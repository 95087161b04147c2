#pragma once
#include <windows.h>

#include <string>

namespace FileSystem {

// Makes a new folder in the root of Path's volume that only the administrators and the system
// may change: a place out of other users' reach for what has to wait for the next restart.
// Returns its path (without a trailing backslash); empty when none could be made, or when the
// folder made is still within another user's reach.
std::wstring NewAdminOnlyFolder(const std::wstring& Path);

// Takes the folder tree at Folder out of other users' reach: the administrators become the
// owner of the folder and of everything in it, and a protected access list gives the
// administrators and the system alone any access. Entries are opened as themselves: a link in
// the tree gets the new access list but is not followed. Returns 0, else the system's error code
// of the first entry that could not be changed (the rest are still changed).
[[nodiscard]] DWORD TakeTreeFromUsers(const std::wstring& Folder);

} // namespace FileSystem
