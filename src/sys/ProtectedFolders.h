#pragma once
#include <string>

// Guards the folder deletions of the uninstall script against paths that must never be
// deleted whatever a script or a variable says: an empty or relative path, a drive or share
// root, and the system's own folders (Windows and system folders, the program files folders,
// the all-users data folder, the users folder and every user profile root, the temporary
// folder, and the desktop, start menu, programs and startup folders themselves).
//
// Returns an empty text when Path may be deleted, else why not.
std::wstring ProtectedFolderReason(const std::wstring& Path);

// The part of the guard that looks at the path's form alone: an empty or relative path names
// nothing a step may touch (it would name a place in the current folder or drive). Empty text
// when the form is sound, else why not.
std::wstring PathFormReason(const std::wstring& Path);

inline bool IsProtectedFolder(const std::wstring& Path) {
    return !ProtectedFolderReason(Path).empty();
}
