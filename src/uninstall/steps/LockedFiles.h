#pragma once
#include "core/Object.h"

#include <functional>
#include <string>
#include <vector>

using TLockedFileError = std::function<void(const std::wstring& Path, const std::wstring& Error)>;

// Asks the system to delete every locked entry at the next restart, then the folders that
// held them and their parents up to, not including, the drive root; each path once.
// Protected folders (the desktop, the program files folder, ...) are never scheduled. Nor is
// a path that other users could make name something else before the restart: such an entry
// is moved, where it can be, into a new folder only administrators may change and scheduled
// there; otherwise it stays and ShowError gives the path and its error line. Sender names the
// window.
// Returns how many paths the system took for the restart: none means no restart is needed.
size_t DeleteLockedFiles(const TObject* Sender, const std::vector<std::wstring>& FLockedFiles,
                         const TLockedFileError& ShowError = {});
