#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Thin file-system calls of the folder and file steps. They report failure by result so that
// the steps can decide what a failure means (most go to the locked list, not to an error).
// A plain full path is used in its exact form (ExactPath of FileEntry.h): names as they are,
// any length.
namespace FileSystem {

struct TEntry {
    std::wstring Name;
    DWORD Attributes = 0;
    bool IsFolder() const { return (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // A junction, symbolic link or other reparse point: never descended into.
    bool IsLink() const { return (Attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

// Every entry of Folder (hidden and system ones included) but "." and "..", in the
// platform's order. Folder ends with a delimiter.
void ForEachEntry(const std::wstring& Folder, const std::function<void(const TEntry&)>& Visit);

// Whether a file (not a folder), or a folder, is at Path. A final link is followed: a link whose
// target is gone counts as missing.
[[nodiscard]] bool FileExists(const std::wstring& Path);
[[nodiscard]] bool FolderExists(const std::wstring& Path);
// INVALID_FILE_ATTRIBUTES when nothing is there, with the reason as the thread's last error.
[[nodiscard]] DWORD Attributes(const std::wstring& Path);
UINT DriveType(const std::wstring& Root);
// Each returns 0 on success, else the system's error code.
[[nodiscard]] DWORD SetAttributes(const std::wstring& Path, DWORD Attributes);
[[nodiscard]] DWORD DeleteOneFile(const std::wstring& Path);
[[nodiscard]] DWORD RemoveFolder(const std::wstring& Path);
class TProvenPath;
// Asks the system to delete Path when it next starts, if it still names what was proven; a
// folder goes only if empty by then. Empty when the system took it, else why not.
[[nodiscard]] std::wstring DeleteAtRestart(const TProvenPath& Path);

} // namespace FileSystem
