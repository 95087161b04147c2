#pragma once
#include "core/Object.h"

#include <string>
#include <vector>

// Asks the system to delete every locked entry at the next restart, then the folders that
// held them and their parents up to, not including, the drive root. Protected folders (the
// desktop, the program files folder, ...) are never scheduled. Sender names the window.
// Returns how many paths the system took for the restart: none means no restart is needed.
size_t DeleteLockedFiles(const TObject* Sender, const std::vector<std::wstring>& FLockedFiles);
