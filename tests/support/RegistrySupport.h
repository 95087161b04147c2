#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace test {

// Registry keys of one test: a key with a unique name below a root, in the 32-bit view this
// program works in, removed with everything below it (its 64-bit decoy too) when the object
// goes. Links inside it are removed as themselves, never followed.
class TTestKey {
public:
    // Path = Parent + "\NrvTest-<guid>"; the parent must exist or is created.
    TTestKey(HKEY Root, const std::wstring& Parent);
    ~TTestKey();
    TTestKey(const TTestKey&) = delete;
    TTestKey& operator=(const TTestKey&) = delete;

    HKEY Root() const { return FRoot; }
    // Below the root, without a leading backslash.
    const std::wstring& Path() const { return FPath; }
    const std::wstring& Name() const { return FName; }

private:
    HKEY FRoot;
    std::wstring FName;
    std::wstring FPath;
};

// Creates the key and its parents. View is 0 (the 32-bit view) or KEY_WOW64_64KEY.
void CreateRegKey(HKEY Root, const std::wstring& Path, REGSAM View = 0);
bool RegKeyExists(HKEY Root, const std::wstring& Path, REGSAM View = 0);
// The key named by Path, a link not followed: for a link key, the link itself.
bool RegLinkExists(HKEY Root, const std::wstring& Path);

// The current user's hive as the registry names it: "\REGISTRY\USER\<sid>".
std::wstring UserHiveName();
// A link key at Path (HKEY_CURRENT_USER) pointing at Target, a registry name such as
// UserHiveName() + "\Software\X".
void CreateRegLink(const std::wstring& Path, const std::wstring& Target);

// Deletes a tree with links removed as themselves; also in the other view with KEY_WOW64_64KEY.
void DeleteRegTreeSafely(HKEY Root, const std::wstring& Path, REGSAM View = 0);

// Denies everyone the right to delete the key (and so its parents' trees), or gives it back.
void DenyRegDelete(HKEY Root, const std::wstring& Path);
void AllowRegDelete(HKEY Root, const std::wstring& Path);

// Denies everyone the right to set the key's values and make subkeys, for the life of the
// object; then the key's own access list is put back.
class TKeyWriteDenied {
public:
    TKeyWriteDenied(HKEY Root, const std::wstring& Path);
    ~TKeyWriteDenied();
    TKeyWriteDenied(const TKeyWriteDenied&) = delete;
    TKeyWriteDenied& operator=(const TKeyWriteDenied&) = delete;

private:
    HKEY FRoot;
    std::wstring FPath;
    std::vector<BYTE> FSaved;
};

} // namespace test
