#include "uninstall/steps/DeleteDirectory.h"

#include "core/Text.h"
#include "logging/Logger.h"
#include "sys/files/FileEntry.h"
#include "sys/files/FileSystem.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/CommaText.h"
#include "uninstall/script/Mask.h"
#include "uninstall/steps/CheckedDeletion.h"

using FileSystem::TEntryHandle;

namespace {

class TTreeDeleter {
public:
    TTreeDeleter(TUninstallEngine& Engine, std::vector<std::wstring> Exclusions)
        : FEngine(Engine), FExclusions(std::move(Exclusions)) {}

    // Path as the script spells it (for the trace and the locked list); Entry is it opened.
    void DeleteEntry(const std::wstring& Path, TEntryHandle& Entry, const std::wstring& Opened) {
        if (!Entry.IsAt(Opened))
            LeaveLink(FEngine, Path);
        else if (Entry.IsReparsePoint())
            RemoveLink(Path, Entry);
        else if (Entry.IsFolder())
            DeleteTree(Path, Entry);
        else
            DeleteOne(Path, Entry);
    }

    void NotDeleted(const std::wstring& Path, const wchar_t* Indent) {
        GetLogger().Write(std::wstring(Indent) + L"FLockedFiles.Add(%s)", {Path}, ttInformation);
        FEngine.AddLockedFile(Path);
    }

private:
    void DeleteTree(const std::wstring& Path, TEntryHandle& Folder) {
        GetLogger().Write(L"  deleting path : %s", {Path}, ttInformation);
        const std::wstring P = IncludeTrailingBackslash(Path);
        if (Excluded(P)) {
            GetLogger().Write(&FEngine, L"  path \"%s\" is excluded", {P}, ttInformation);
            FEngine.ItemExcluded(P);
            return;
        }
        // The entries are reached below the folder the handle holds, not below its spelling.
        const std::wstring opened = IncludeTrailingBackslash(Folder.FinalPath());
        Folder.ForEachEntry([&](const FileSystem::TEntry& entry) {
            const std::wstring childOpened = opened + entry.Name;
            TEntryHandle child(childOpened, entry);
            if (child.Valid())
                DeleteEntry(P + entry.Name, child, childOpened);
            else
                NotDeleted(entry.IsFolder() ? P + entry.Name + L'\\' : P + entry.Name,
                           entry.IsFolder() ? L"" : L"    ");
        });
        if (Remove(Folder) == 0)
            GetLogger().Write(L"Dir \"%s\" deleted", {P}, ttInformation);
        else
            NotDeleted(P, L"");
    }

    void DeleteOne(const std::wstring& Path, TEntryHandle& File) {
        if (File.Attributes() & FILE_ATTRIBUTE_READONLY) {
            if (DWORD rc = File.ClearReadOnly(); rc != 0)
                throw Exception(Format(L"Unable to remove 'ReadOnly' attribute to file %s (rc=%d)",
                                       {Path, static_cast<long long>(rc)}));
        }
        if (Remove(File) == 0)
            GetLogger().Write(L"    file \"%s\" deleted", {Path}, ttInformation);
        else
            NotDeleted(Path, L"    ");
    }

    // A junction or symbolic link opened as itself: deleting it leaves the target alone.
    void RemoveLink(const std::wstring& Path, TEntryHandle& Link) {
        const std::wstring shown = Link.IsFolder() ? IncludeTrailingBackslash(Path) : Path;
        if (Link.IsFolder() && Excluded(shown)) {
            GetLogger().Write(&FEngine, L"  path \"%s\" is excluded", {shown}, ttInformation);
            FEngine.ItemExcluded(shown);
            return;
        }
        if (Remove(Link) == 0)
            GetLogger().Write(L"Link \"%s\" deleted", {shown}, ttInformation);
        else
            LeaveLink(FEngine, shown);
    }

    static DWORD Remove(TEntryHandle& Entry) {
        DWORD rc = Entry.Delete();
        Entry.Close();
        return rc;
    }

    bool Excluded(const std::wstring& P) const { return MatchesAnyMask(P, FExclusions); }

    TUninstallEngine& FEngine;
    std::vector<std::wstring> FExclusions;
};

} // namespace

void DeleteDirectory(TUninstallEngine& Engine, const std::wstring& Path,
                     const std::wstring& Exclude) {
    GetLogger().Write(&Engine, L"DeleteDirectory(%s, %s)", {Path, Exclude}, ttInformation);
    TTreeDeleter deleter(Engine, CommaTextList(Exclude));
    if (!FileSystem::FolderExists(Path)) {
        GetLogger().Write(&Engine, L"Directory \"%s\" not found", {Path}, ttInformation);
        return;
    }
    TEntryHandle top(Path, true);
    if (!top.Valid()) {
        deleter.NotDeleted(IncludeTrailingBackslash(Path), L"");
        return;
    }
    deleter.DeleteEntry(Path, top, FileSystem::ResolvedSpelling(Path));
}
