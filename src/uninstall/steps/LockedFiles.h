#pragma once
#include "core/Object.h"

#include <functional>
#include <string>
#include <vector>

using TLockedFileError = std::function<void(const std::wstring& Path, const std::wstring& Error)>;

// What the restart list tells of each path, for the run's records; any of them may be empty.
struct TLockedFileEvents {
    // Path stays where it is; Error is its error line.
    TLockedFileError Stays;
    // A locked entry handed over as Path is now Now: where it was moved, or empty when it went
    // at once.
    std::function<void(const std::wstring& Path, const std::wstring& Now)> Moved;
    // The system took Path for the restart, spelled as it was handed to it: a locked entry, where
    // one was moved to, or a folder above them.
    std::function<void(const std::wstring& Path)> Taken;
};

// Asks the system to delete every locked entry at the next restart, then the folders that
// held them and their parents up to, not including, the drive root; each path once.
// Protected folders (the desktop, the program files folder, ...) are never scheduled. Nor is
// a path that other users could make name something else before the restart. Such an entry is
// moved, where it can be, into a new folder only administrators may change and scheduled there
// (Events.Moved tells); a folder of the locked list that is empty by then is removed at once
// (Events.Moved with an empty path). Where neither helps, the folder tree the entry lies in is
// taken out of other users' reach when that tree is one the run is removing (its top and everything
// still in it are on the locked list) and its parent is out of their reach already; then the entry
// is checked again and scheduled. Otherwise it stays and Events.Stays gives the path and its error
// line, as it does for a path the system refuses to take; Events.Taken names each path the
// system took. Sender names the window.
// Returns how many paths the system took for the restart: none means no restart is needed.
size_t DeleteLockedFiles(const TObject* Sender, const std::vector<std::wstring>& FLockedFiles,
                         const TLockedFileEvents& Events = {});

// For a preview: why the restart list would leave Path where it is, an entry a program holds
// open; empty when it would take it (as it is, or moved out of other users' reach, or once the
// tree TreeTop is taken out of their reach: TreeTop names the folder a step removes whole, and
// is empty for a step that removes single files).
std::wstring RestartRefusal(const std::wstring& Path, const std::wstring& TreeTop);
