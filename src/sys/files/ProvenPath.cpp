#include "sys/files/ProvenPath.h"
#include "core/Format.h"
#include "core/SystemError.h"
#include "core/Text.h"
#include "sys/files/UserControl.h"

namespace FileSystem {

namespace {

// The identity of the entry at Path, opened as itself for its attributes alone: a file another
// program holds open, whatever it shares, opens so. The reason when it cannot be read.
std::wstring IdentityOf(const std::wstring& Path, TIdentity& Identity) {
    const TFileHandle entry = OpenAsItself(Path, FILE_READ_ATTRIBUTES);
    if (!entry)
        return Format(L"\"%s\" cannot be opened (%s)", {Path, SystemErrorText(GetLastError())});
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(entry.Get(), &info))
        return Format(L"\"%s\" cannot be identified (%s)", {Path, SystemErrorText(GetLastError())});
    Identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return {};
}

// The folder a path names its entry in, as the system spells it.
std::wstring FolderOf(const std::wstring& Path) {
    return ParentOf(ResolvedSpelling(Path));
}

} // namespace

// What the checks share: a path proven by Reason being empty, anchored on the identity of
// Anchor.
struct TProver {
    static TPathProof Prove(const std::wstring& Path, const std::wstring& Anchor,
                            std::wstring Reason) {
        if (!Reason.empty())
            return {std::nullopt, std::move(Reason)};
        TIdentity identity;
        if (std::wstring reason = IdentityOf(Anchor, identity); !reason.empty())
            return {std::nullopt, reason};
        return {TProvenPath(Path, Anchor, identity), L""};
    }
};

std::wstring TProvenPath::ChangedReason() const {
    TIdentity now;
    if (std::wstring reason = IdentityOf(FAnchor, now); !reason.empty())
        return reason;
    if (!(now == FIdentity))
        return Format(L"\"%s\" names something else than when it was checked", {FAnchor});
    return {};
}

TPathProof ProveOutOfUsersReach(const std::wstring& Path) {
    // Nothing there (an entry gone since it was listed): what the path will name is decided in
    // its folder, as for a file still to be written.
    const bool missing =
        Attributes(Path) == INVALID_FILE_ATTRIBUTES &&
        (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND);
    return TProver::Prove(Path, missing ? FolderOf(Path) : Path, UserControlReason(Path));
}

TPathProof ProveOutputFile(const std::wstring& Path) {
    return TProver::Prove(Path, FolderOf(Path), OutputFileReason(Path));
}

} // namespace FileSystem
