#pragma once
#include "core/Object.h"

#include <functional>
#include <string>
#include <vector>

using TLockedFileError = std::function<void(const std::wstring& Path, const std::wstring& Error)>;
// A locked entry handed over as Path is now Now: where it was moved, or empty when it went at
// once.
using TLockedFileMoved = std::function<void(const std::wstring& Path, const std::wstring& Now)>;

// Asks the system to delete every locked entry at the next restart, then the folders that
// held them and their parents up to, not including, the drive root; each path once.
// Protected folders (the desktop, the program files folder, ...) are never scheduled. Nor is
// a path that other users could make name something else before the restart. Such an entry is
// moved, where it can be, into a new folder only administrators may change and scheduled there
// (Moved tells); a folder of the locked list that is empty by then is removed at once (Moved
// with an empty path). Where neither helps, the folder tree the entry lies in is taken out of
// other users' reach when that tree is one the run is removing (its top and everything still in
// it are on the locked list) and its parent is out of their reach already; then the entry is
// checked again and scheduled. Otherwise it stays and ShowError gives the path and its error
// line, as it does for a path the system refuses to take. Sender names the window.
// Returns how many paths the system took for the restart: none means no restart is needed.
size_t DeleteLockedFiles(const TObject* Sender, const std::vector<std::wstring>& FLockedFiles,
                         const TLockedFileError& ShowError = {},
                         const TLockedFileMoved& Moved = {});

// For a preview: why the restart list would leave Path where it is, an entry a program holds
// open; empty when it would take it (as it is, or moved out of other users' reach, or once the
// tree TreeTop is taken out of their reach: TreeTop names the folder a step removes whole, and
// is empty for a step that removes single files).
std::wstring RestartRefusal(const std::wstring& Path, const std::wstring& TreeTop);
