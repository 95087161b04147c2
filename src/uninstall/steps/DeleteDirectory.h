#pragma once
#include <string>

class TUninstallEngine;

// Deletes the folder tree Path, leaving in place every folder whose path (with delimiter)
// matches a mask of the comma list Exclude. Files and folders that cannot be deleted go to the
// engine's locked list. Each entry is opened without following links, checked on that handle
// and deleted through it: a link (junction, symbolic link) is removed as itself and its target
// stays whole; a link that cannot be removed without touching its target is left in place
// with an error line and never scheduled. Raises only when a read-only file cannot be made
// writable. Traces as the engine's window.
void DeleteDirectory(TUninstallEngine& Engine, const std::wstring& Path,
                     const std::wstring& Exclude);
