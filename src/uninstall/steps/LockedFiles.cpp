#include "uninstall/steps/LockedFiles.h"
#include "core/Format.h"
#include "core/SystemError.h"
#include "core/Text.h"
#include "logging/Logger.h"
#include "sys/files/AdminOnlyFolder.h"
#include "sys/files/FileEntry.h"
#include "sys/files/FileSystem.h"
#include "sys/files/ProvenPath.h"
#include "sys/files/ProtectedFolders.h"
#include "sys/files/UserControl.h"
#include "sys/shared/Procs.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

// The path without a trailing backslash, but for a drive root: one spelling per path.
std::wstring Key(const std::wstring& path) {
    return WithoutTrailingBackslash(path);
}

// Folder names sorted without regard to letter case; a name equal to one held is dropped.
using TPathSet = std::set<std::wstring, TTextLess>;

// One pass over the locked list: what it scheduled, and where moved entries went.
class TScheduler {
public:
    TScheduler(const TObject* Sender, const TPathSet& Locked, const TLockedFileEvents& Events)
        : FSender(Sender), FLocked(Locked), FEvents(Events) {}

    // A locked entry itself; one that stays gets its error line.
    void Entry(const std::wstring& path) {
        if (Protected(path))
            return;
        FileSystem::TPathProof proof = FileSystem::ProveOutOfUsersReach(path);
        if (proof.Proven) {
            Schedule(*proof.Proven);
            return;
        }
        std::wstring reason = proof.Reason;
        if (FileSystem::FolderExists(path) ? RemoveEmptyFolder(path) : MoveOutOfReach(path))
            return;
        if (TakeTreeOutOfReach(path)) {
            proof = FileSystem::ProveOutOfUsersReach(path);
            if (proof.Proven) {
                Schedule(*proof.Proven);
                return;
            }
            reason = proof.Reason;
        }
        Trace(L"  reason: %s", {reason});
        // A folder that stays because an entry in it stays needs no error line of its own.
        if (HoldsOneThatStays(path)) {
            Trace(L"..%s stays with what stays in it", {path});
            return;
        }
        Stays(path, Format(L"\"%s\" is locked and stays: a folder above it can be changed by users",
                           {path}));
    }

    // A folder that held locked entries, or one above it.
    void Folder(const std::wstring& path) {
        if (Protected(path))
            return;
        const FileSystem::TPathProof proof = FileSystem::ProveOutOfUsersReach(path);
        if (!proof.Proven) {
            Trace(L"..%s can be changed by users, not scheduled (%s)", {path, proof.Reason});
            return;
        }
        Schedule(*proof.Proven);
    }

    // The folder the moved entries went to goes after them.
    void Finish() {
        if (!FPending.empty())
            ScheduleOurs(FPending);
    }

    size_t Scheduled() const { return FScheduled; }

private:
    void Trace(const std::wstring& Fmt, const TVarRecs& Args) {
        GetLogger().Write(FSender, Fmt, Args, ttInformation);
    }

    // The error line traces itself; without one the trace keeps it.
    void Stays(const std::wstring& path, const std::wstring& error) {
        FStayed.push_back(Key(path));
        if (FEvents.Stays)
            FEvents.Stays(path, error);
        else
            Trace(L"%s", {error});
    }

    bool HoldsOneThatStays(const std::wstring& path) const {
        return std::any_of(FStayed.begin(), FStayed.end(),
                           [&](const std::wstring& stayed) { return PathBelow(stayed, path); });
    }

    bool Protected(const std::wstring& path) {
        if (!IsProtectedFolder(path))
            return false;
        Trace(L"..%s is protected, not scheduled", {path});
        return true;
    }

    // A path of the run's own administrators' folder, checked as any other.
    void ScheduleOurs(const std::wstring& path) {
        const FileSystem::TPathProof proof = FileSystem::ProveOutOfUsersReach(path);
        if (!proof.Proven) {
            Stays(path, Format(L"\"%s\" cannot be left to the restart (%s)", {path, proof.Reason}));
            return;
        }
        Schedule(*proof.Proven);
    }

    void Schedule(const FileSystem::TProvenPath& proven) {
        const std::wstring& path = proven.Path();
        Trace(L"..MoveFileEx(%s)", {path});
        // What the system does not take stays where it is: said, since the run then did not
        // remove what it was asked to.
        if (std::wstring refused = FileSystem::DeleteAtRestart(proven); !refused.empty()) {
            Stays(path, Format(L"\"%s\" cannot be left to the restart (%s)", {path, refused}));
            return;
        }
        ++FScheduled;
        if (FEvents.Taken)
            FEvents.Taken(path);
    }

    void Tell(const std::wstring& path, const std::wstring& now) {
        if (FEvents.Moved)
            FEvents.Moved(path, now);
    }

    // A running program's file can be moved, though not deleted: through the handle that was
    // checked to be the entry itself, into a folder of administrators on the same volume.
    bool MoveOutOfReach(const std::wstring& path) {
        FileSystem::TEntryHandle entry(path, true);
        if (!entry.Valid() || entry.IsFolder() ||
            !entry.IsPlain(FileSystem::ResolvedSpelling(path)))
            return false;
        if (FPending.empty())
            FPending = FileSystem::NewAdminOnlyFolder(path);
        if (FPending.empty())
            return false;
        const std::wstring key = Key(path);
        const std::wstring name = FileNameOf(key);
        const std::wstring target = FPending + L"\\" + std::to_wstring(++FMovedCount) + L"." + name;
        if (entry.MoveTo(target) != 0)
            return false;
        entry.Close();
        Trace(L"..%s moved to %s", {path, target});
        Tell(path, target);
        ScheduleOurs(target);
        return true;
    }

    // A folder of the locked list whose locked entries were moved away may be empty by now: it
    // goes at once, through the handle that was checked, and nothing waits for the restart.
    bool RemoveEmptyFolder(const std::wstring& path) {
        FileSystem::TEntryHandle folder(path, true);
        if (!folder.Valid() || !folder.IsFolder() ||
            !folder.IsPlain(FileSystem::ResolvedSpelling(path)) || folder.Delete() != 0)
            return false;
        folder.Close();
        if (FileSystem::FolderExists(path))
            return false;
        Trace(L"..%s removed now", {path});
        Tell(path, L"");
        return true;
    }

    // The tree the run is removing that holds path (a folder of the list is one itself): the
    // highest folder on the locked list reached through folders that are all on it. Empty when
    // there is none.
    std::wstring TreeOf(const std::wstring& path) const {
        std::wstring top;
        const std::wstring key = Key(path);
        for (std::wstring at = FileSystem::FolderExists(key) ? key : ParentOf(key);
             at.size() > 3 && FLocked.count(at); at = ParentOf(at))
            top = at;
        return top;
    }

    // Everything still in Folder waits for the restart: the run is removing the whole tree.
    bool OnlyLockedInside(const std::wstring& Folder) const {
        bool only = true;
        FileSystem::ForEachEntry(Folder + L"\\", [&](const FileSystem::TEntry& entry) {
            const std::wstring path = Folder + L"\\" + entry.Name;
            if (!FLocked.count(path) ||
                (entry.IsFolder() && (entry.IsLink() || !OnlyLockedInside(path))))
                only = false;
        });
        return only;
    }

    // A tree the run is removing anyway is the administrators' alone from now on, so that what
    // is in it can wait for the restart; never a tree that holds anything else (an excluded
    // folder, something added since), nor one whose parent other users can change, nor a
    // protected folder under any spelling.
    bool TakeTreeOutOfReach(const std::wstring& path) {
        const std::wstring top = TreeOf(path);
        if (top.empty())
            return false;
        if (FTaken.count(top))
            return true;
        if (!ProtectedFolderReason(top).empty() ||
            !FileSystem::UserControlReason(ParentOf(top)).empty() || !OnlyLockedInside(top))
            return false;
        if (DWORD rc = FileSystem::TakeTreeFromUsers(top); rc != 0) {
            Trace(L"..%s cannot be taken out of users' reach (%s)", {top, SystemErrorText(rc)});
            return false;
        }
        Trace(L"..%s taken out of users' reach", {top});
        FTaken.insert(top);
        return true;
    }

    const TObject* FSender;
    const TPathSet& FLocked;
    const TLockedFileEvents& FEvents;
    std::wstring FPending;
    TPathSet FTaken;
    std::vector<std::wstring> FStayed;
    size_t FMovedCount = 0;
    size_t FScheduled = 0;
};

} // namespace

size_t DeleteLockedFiles(const TObject* Sender, const std::vector<std::wstring>& FLockedFiles,
                         const TLockedFileEvents& Events) {
    GetLogger().Write(Sender, L"DeleteLockedFiles (%d)", {static_cast<int>(FLockedFiles.size())},
                      ttInformation);
    // The order the system deletes in: the locked entries, then each folder that held them
    // followed by its parents, the deeper folder first.
    std::vector<std::wstring> order;
    std::set<std::wstring, TTextLess> folders;
    for (const auto& entry : FLockedFiles) {
        order.push_back(entry);
        if (FileSystem::FolderExists(entry)) {
            folders.insert(Key(entry));
        } else {
            std::wstring folder = ParentOf(entry);
            if (folder.size() > 3)
                folders.insert(folder);
        }
    }
    // The deeper folder sorts after its parent, so going backwards schedules it first.
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        std::wstring d = *it;
        order.push_back(d);
        while (d.size() > 3) {
            std::wstring parent = ParentFolder(d);
            // A root in another form ("\\?\C:\") is its own parent: the walk ends there.
            if (parent == d)
                break;
            d = parent;
            if (d.size() > 3)
                order.push_back(d);
        }
    }
    // Each path once, at the last place it comes: a parent shared by two folders then follows
    // both, as it must to be empty when its turn comes.
    std::map<std::wstring, size_t, TTextLess> last;
    for (size_t i = 0; i < order.size(); ++i)
        last[Key(order[i])] = i;
    TPathSet locked;
    for (const auto& entry : FLockedFiles)
        locked.insert(Key(entry));
    TScheduler scheduler(Sender, locked, Events);
    for (size_t i = 0; i < order.size(); ++i) {
        const std::wstring key = Key(order[i]);
        if (last[key] != i)
            continue;
        if (locked.count(key))
            scheduler.Entry(order[i]);
        else
            scheduler.Folder(order[i]);
    }
    scheduler.Finish();
    return scheduler.Scheduled();
}

std::wstring RestartRefusal(const std::wstring& Path, const std::wstring& TreeTop) {
    std::wstring reason = FileSystem::UserControlReason(Path);
    if (reason.empty())
        return {};
    FileSystem::TEntryHandle entry(Path, true);
    if (entry.Valid() && !entry.IsFolder() && entry.IsPlain(FileSystem::ResolvedSpelling(Path)))
        return {};
    if (!TreeTop.empty() && FileSystem::UserControlReason(ParentOf(TreeTop)).empty())
        return {};
    return reason;
}
