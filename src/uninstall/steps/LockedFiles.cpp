#include "uninstall/steps/LockedFiles.h"
#include "logging/Logger.h"
#include "sys/FileSystem.h"
#include "sys/Procs.h"
#include "sys/ProtectedFolders.h"

#include <set>

namespace {

// Folder names sorted without regard to letter case; a name equal to one held is dropped.
struct TNoCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                    static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
    }
};

// The folder part of a file path; a drive root keeps its delimiter ("C:\").
std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos)
        return {};
    return slash <= 2 ? path.substr(0, slash + 1) : path.substr(0, slash);
}

// True when the system took the path for the restart.
bool Schedule(const TObject* Sender, const std::wstring& path) {
    if (IsProtectedFolder(path)) {
        GetLogger().Write(Sender, L"..%s is protected, not scheduled", {path}, ttInformation);
        return false;
    }
    GetLogger().Write(Sender, L"..MoveFileEx(%s)", {path}, ttInformation);
    // What cannot be scheduled stays where it is; the user can do nothing more about it.
    return FileSystem::DeleteAtRestart(path) == 0;
}

} // namespace

size_t DeleteLockedFiles(const TObject* Sender, const std::vector<std::wstring>& FLockedFiles) {
    size_t scheduled = 0;
    GetLogger().Write(Sender, L"DeleteLockedFiles (%d)", {static_cast<int>(FLockedFiles.size())},
                      ttInformation);
    std::set<std::wstring, TNoCaseLess> folders;
    for (const auto& entry : FLockedFiles) {
        scheduled += Schedule(Sender, entry);
        if (FileSystem::FolderExists(entry)) {
            folders.insert(entry);
        } else {
            std::wstring folder = FolderOf(entry);
            if (folder.size() > 3)
                folders.insert(folder);
        }
    }
    // The deeper folder sorts after its parent, so going backwards schedules it first.
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        std::wstring d = *it;
        scheduled += Schedule(Sender, d);
        while (d.size() > 3) {
            std::wstring parent = ParentFolder(d);
            // A root in another form ("\\?\C:\") is its own parent: the walk ends there.
            if (parent == d)
                break;
            d = parent;
            if (d.size() > 3)
                scheduled += Schedule(Sender, d);
        }
    }
    return scheduled;
}
