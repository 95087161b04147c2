#pragma once
#include "core/Handle.h"

#include <windows.h>

#include <string>

// Deleting registry trees with the care of a folder tree: a key is judged by what it really is,
// and a link key is removed as itself, never followed, so what it points at stays whole. No
// view flag: a 32-bit process works in the 32-bit view.
namespace Registry {

// True when Path names a key below Root, whether or not this program may read it. A link counts
// as a key of its own, also when what it points at is gone.
[[nodiscard]] bool KeyExists(HKEY Root, const std::wstring& Path);

// The name the registry gives an open key ("\REGISTRY\MACHINE\Software\Wow6432Node\..."),
// after links and redirection; empty when the system does not say.
std::wstring KeyRealName(HKEY Key);

// Why the registry guard refuses the key at Path below Root, open as Key: first the path as
// written, then the key's real name. Empty when the key may be deleted.
std::wstring ProtectedOpenKeyReason(HKEY Root, const std::wstring& Path, HKEY Key);

// What became of a tree: deleted, refused by the registry guard (nothing deleted), or the
// system's error code for a key that could not go.
struct TTreeDeletion {
    DWORD Error = ERROR_SUCCESS;
    std::wstring Refusal;
    bool Deleted() const { return Error == ERROR_SUCCESS && Refusal.empty(); }
};

// Deletes Path below Root with all its subkeys, after asking the registry guard about the
// path as written and about the key's real name. A link key in the tree, the top one
// included, is deleted as itself. Keys that cannot go leave the first error code; the rest of
// the tree is still deleted.
[[nodiscard]] TTreeDeletion DeleteTree(HKEY Root, const std::wstring& Path);

// Path below Root opened one key at a time, none followed as a link, with Access: where a key
// on the way (the last one included) is a link, Key is empty and Link names the path up to it
// (unelevated code of a user may make links in that user's hive). Status holds the system's code
// when a key cannot be opened.
TRegKey OpenWithoutLinks(HKEY Root, const std::wstring& Path, REGSAM Access, std::wstring& Link,
                         LSTATUS& Status);

// Deletes the subkey Name (a name, not a path) of the open key Parent with all its subkeys, a
// link as itself, after the registry guard has looked at the subkey's real name: no path is
// walked again, so nothing changed on the way since Parent was opened can redirect it.
[[nodiscard]] TTreeDeletion DeleteSubTree(HKEY Parent, const std::wstring& Name);

// Why DeleteTree would refuse Path below Root, asking the registry guard the same questions
// and changing nothing; empty when it would go ahead (or the key cannot be opened).
std::wstring DeletionRefusal(HKEY Root, const std::wstring& Path);

} // namespace Registry
