#pragma once
#include "core/Object.h"

#include <string>
#include <vector>

// Deletes the folder tree Path, leaving in place every folder whose path (with delimiter)
// matches a mask of the comma list Exclude. Files and folders that cannot be deleted go to
// FLockedFiles. A linked sub-folder (junction, symbolic link) is never descended into: the
// link itself is removed and its target stays whole. Raises only when a read-only file cannot
// be made writable. Sender names the window in the trace.
void DeleteDirectory(const TObject* Sender, const std::wstring& Path, const std::wstring& Exclude,
                     std::vector<std::wstring>& FLockedFiles);
