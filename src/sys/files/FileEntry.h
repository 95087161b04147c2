#pragma once
#include "core/Handle.h"
#include "sys/files/FileSystem.h"

#include <windows.h>

#include <string>

// Deciding what a path names by what it resolves to, never by its spelling, and deleting
// through the handle that was checked.
namespace FileSystem {

// A full path "X:\..." that names its entries exactly as written ("\\?\X:\..."): no name is
// rewritten by the Win32 layer (a trailing dot or blank cut off, "NUL" or "aux.txt" taken for a
// device) and no length limit applies. A path that is not plainly absolute (relative, with
// "/", "." or ".." parts or doubled delimiters) is returned as it is, for the Win32 rules.
std::wstring ExactPath(const std::wstring& Path);

// The entry at Path opened with Access as itself: a final link is not followed, sharing lets
// every other opener be, and a folder opens too. Invalid when it cannot be opened; the error is
// the thread's last error.
TFileHandle OpenAsItself(const std::wstring& Path, DWORD Access);

// Why Path, which is no plain full path, names a device by the Win32 rules ("C:\\x\\..\\NUL" is
// "\\\\.\\NUL"), never a file or folder; empty when it does not. A plain full path names the
// entry of that name, whatever it is called.
std::wstring DeviceReason(const std::wstring& Path);

// The path as the system spells the object it names: full, long names, no "\\?\" prefix, no
// trailing backslash (a drive root keeps its own). Parts that do not exist keep the spelling
// given. Links are not resolved: that is what the final path of an open handle tells.
std::wstring ResolvedSpelling(const std::wstring& Path);

// Path, as the system spells it, lies below Folder (not at it): PathBelow (core/Text.h) of
// their resolved spellings. Spellings only: a link on the way is not seen here.
bool LiesBelow(const std::wstring& Path, const std::wstring& Folder);

// Which file-system object a handle names, whatever path led to it.
struct TIdentity {
    DWORD Volume = 0;
    DWORD IndexHigh = 0;
    DWORD IndexLow = 0;
    bool operator==(const TIdentity&) const = default;
};

// A file or folder opened without following a final link (where the platform can), to be
// checked and then deleted through the same handle, so that an entry swapped for a link in
// between cannot redirect the deletion.
class TEntryHandle {
public:
    // Opens Path; ForDelete asks for the rights to delete and to clear attributes. Check
    // Valid(); Error() holds the system's error code when the open failed.
    TEntryHandle(const std::wstring& Path, bool ForDelete);
    // Opens the entry Listed of a folder, Path being the folder's final path and the entry's
    // name, with the rights to delete.
    // A file keeps the attributes the listing gave: the handle does not follow a link, so an
    // entry swapped for a link since is still deleted as itself, and the final path gives a
    // link away where the platform opens its target. A folder's attributes are read again on
    // the handle, since the walk descends into it.
    TEntryHandle(const std::wstring& Path, const TEntry& Listed);

    bool Valid() const { return FHandle.Valid(); }
    DWORD Error() const { return FError; }
    // Where the handle really is (long names, no "\\?\" prefix); empty when unknown.
    const std::wstring& FinalPath() const { return FFinalPath; }
    DWORD Attributes() const { return FAttributes; }
    bool IsFolder() const { return (Attributes() & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    TIdentity Identity() const;
    // A file's size in bytes (what its deletion frees, roughly); 0 when unknown.
    ULONGLONG Size() const;

    bool IsReparsePoint() const { return (Attributes() & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
    // The system puts the handle where Expected says. Wine opens a Unix symbolic link's target
    // and reports no reparse point; the final path then names the target and gives the link
    // away.
    bool IsAt(const std::wstring& Expected) const;

    // The handle names the entry spelled Expected itself and is no reparse point.
    bool IsPlain(const std::wstring& Expected) const;
    // A reparse point opened as itself (junction, symbolic link): deleting it removes the
    // link alone.
    bool IsLinkItself(const std::wstring& Expected) const;

    // Every entry of the folder the handle holds but "." and "..", read through the handle
    // itself: it names the checked folder, and the platform may refuse a search by path
    // while a handle with the right to delete is open.
    void ForEachEntry(const std::function<void(const TEntry&)>& Visit) const;

    // Each returns 0 on success, else the system's error code.
    [[nodiscard]] DWORD ClearReadOnly();
    // Leaves the entry with no attribute but "normal".
    [[nodiscard]] DWORD ClearAttributes();
    // Marks the entry for deletion when the handle closes (a folder only if empty).
    [[nodiscard]] DWORD Delete();
    // Moves the entry to the full path Target on the same volume; an entry already there stays
    // and the move fails.
    [[nodiscard]] DWORD MoveTo(const std::wstring& Target);
    // Closes the handle: a marked entry goes now.
    void Close() { FHandle.Reset(); }

private:
    void Open(const std::wstring& Path, bool ForDelete);
    std::wstring NameOnVolume(const std::wstring& Path) const;
    void ReadAttributes();
    DWORD SetAttributes(DWORD Attributes);

    TFileHandle FHandle;
    DWORD FError = 0;
    DWORD FAttributes = 0;
    // Adopts Expected's spelling where it differs only as Wine's names do (IsAt).
    mutable std::wstring FFinalPath;
};

} // namespace FileSystem
