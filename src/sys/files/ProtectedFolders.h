#pragma once
#include <string>

// Guards the deletions of the uninstall script against paths that must never be deleted,
// whatever a script or a variable says. A path is judged by the object it names (opened
// without following a final link, compared by volume and file index), so short names,
// "Sysnative", "..", admin shares and links cannot disguise a protected folder.
//
// Protected: the Windows folder and everything inside it; the system folders; both program
// files and both common files folders; the all-users data folder; the users folder, every
// profile root and every profile's AppData, Roaming, Local and LocalLow; the temporary folder;
// the desktops, start menus, programs, startup and documents folders; and every folder that
// contains one of these (a drive root among them).

// The part of the guard that looks at the path's form alone: an empty or relative path names
// nothing a step may touch (it would name a place in the current folder or drive). Empty text
// when the form is sound, else why not.
std::wstring PathFormReason(const std::wstring& Path);

// Why a Folder step must not delete Path, or a restart must not delete it; empty text when
// it may. A path that passes through a link is refused as well.
std::wstring ProtectedFolderReason(const std::wstring& Path);

inline bool IsProtectedFolder(const std::wstring& Path) {
    return !ProtectedFolderReason(Path).empty();
}

// Why a File step must not search Folder with Mask; empty text when it may. An empty or
// relative path, a path through a link or a folder that is itself a link are refused; a mask
// that matches every name (made of "*", "?" and "." alone) is refused on a protected folder.
std::wstring FileSearchReason(const std::wstring& Folder, const std::wstring& Mask);
