#pragma once
#include "sys/files/FileEntry.h"

#include <optional>
#include <string>

// The one gate before the elevated run's dangerous acts: loading a library, starting a
// program, writing a log or report, leaving a path to the restart. Each takes a proven path,
// which only the user-control checks make: a reader sees at the call which path was proven,
// and a new step cannot forget the check.
namespace FileSystem {

// A path that no other user could change when it was checked, held with the identity of what
// it named then: the entry itself, or for a file still to be written the folder it goes in.
class TProvenPath {
public:
    const std::wstring& Path() const { return FPath; }
    // Why the path no longer names what was proven (it was replaced or moved since), or empty.
    // Asked again right before the act.
    std::wstring ChangedReason() const;

private:
    TProvenPath(std::wstring Path, std::wstring Anchor, TIdentity Identity)
        : FPath(std::move(Path)), FAnchor(std::move(Anchor)), FIdentity(Identity) {}
    // Made by the checks below alone.
    friend struct TProver;

    std::wstring FPath;
    std::wstring FAnchor; // what the identity is of: the path, or the folder of a file to write
    TIdentity FIdentity;
};

// A check's outcome: the proven path, or why the path is not out of other users' reach.
struct TPathProof {
    std::optional<TProvenPath> Proven;
    std::wstring Reason;
};

// Path is proven when UserControlReason finds nothing and the entry can be opened as itself;
// a path where nothing is, when its folder can.
TPathProof ProveOutOfUsersReach(const std::wstring& Path);
// A file to be written at Path is proven when OutputFileReason finds nothing; the identity is
// its folder's.
TPathProof ProveOutputFile(const std::wstring& Path);

} // namespace FileSystem
