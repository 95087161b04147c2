#include "uninstall/steps/TreePreview.h"

#include "core/Text.h"
#include "logging/Logger.h"
#include "sys/files/FileEntry.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/CommaText.h"
#include "uninstall/script/Mask.h"
#include "uninstall/steps/CheckedDeletion.h"

using FileSystem::TEntryHandle;

namespace {

class TTreePreview {
public:
    // Top is the folder the step removes; a tree that keeps an exclusion is no tree the run
    // removes whole.
    TTreePreview(TUninstallEngine& Engine, const std::wstring& Top,
                 std::vector<std::wstring> Exclusions)
        : FEngine(Engine), FExclusions(std::move(Exclusions)),
          FTreeTop(FExclusions.empty() ? Top : L"") {}

    // Path as the script spells it; Entry is it opened. True when the entry would stay, or
    // something below it would, so that its folder could not go either.
    bool Visit(const std::wstring& Path, const TEntryHandle& Entry, const std::wstring& Opened) {
        if (Entry.IsLinkItself(Opened))
            return VisitLink(Path, Entry);
        if (!Entry.IsPlain(Opened)) {
            ReportLinkLeft(FEngine, Path);
            return true;
        }
        if (Entry.IsFolder())
            return VisitTree(Path, Entry);
        ++FFiles;
        FBytes += Entry.Size();
        return false;
    }

    void NotOpened(const std::wstring& Path) { ReportInUse(FEngine, Path, FTreeTop); }

    void Summary(const std::wstring& Path) const {
        FEngine.ReportFmt(L"Folder \"%s\": %u files (%u bytes) and %u folders would be deleted",
                          {Path, FFiles, FBytes, FFolders});
    }

private:
    bool VisitTree(const std::wstring& Path, const TEntryHandle& Folder) {
        const std::wstring P = IncludeTrailingBackslash(Path);
        if (Excluded(P)) {
            FEngine.ReportFmt(L"Folder \"%s\" is excluded and stays", {P});
            FEngine.ItemExcluded(P);
            return true;
        }
        const std::wstring opened = IncludeTrailingBackslash(Folder.FinalPath());
        bool kept = false;
        Folder.ForEachEntry([&](const FileSystem::TEntry& entry) {
            TEntryHandle child(opened + entry.Name, false);
            if (child.Valid()) {
                kept |= Visit(P + entry.Name, child, opened + entry.Name);
            } else {
                NotOpened(entry.IsFolder() ? P + entry.Name + L'\\' : P + entry.Name);
                kept = true;
            }
        });
        if (!kept)
            ++FFolders;
        return kept;
    }

    bool VisitLink(const std::wstring& Path, const TEntryHandle& Link) {
        const std::wstring shown = Link.IsFolder() ? IncludeTrailingBackslash(Path) : Path;
        if (Link.IsFolder() && Excluded(shown)) {
            FEngine.ReportFmt(L"Folder \"%s\" is excluded and stays", {shown});
            FEngine.ItemExcluded(shown);
            return true;
        }
        FEngine.ReportFmt(L"Link \"%s\" would be removed alone; its target stays", {shown});
        return false;
    }

    bool Excluded(const std::wstring& P) const { return MatchesAnyMask(P, FExclusions); }

    TUninstallEngine& FEngine;
    std::vector<std::wstring> FExclusions;
    std::wstring FTreeTop;
    unsigned long long FFiles = 0;
    unsigned long long FBytes = 0;
    unsigned long long FFolders = 0;
};

} // namespace

void PreviewDirectory(TUninstallEngine& Engine, const std::wstring& Path,
                      const std::wstring& Exclude) {
    GetLogger().Write(&Engine, L"PreviewDirectory(%s, %s)", {Path, Exclude}, ttInformation);
    TTreePreview preview(Engine, Path, CommaTextList(Exclude));
    TEntryHandle top(Path, false);
    if (!top.Valid()) {
        preview.NotOpened(IncludeTrailingBackslash(Path));
        return;
    }
    preview.Visit(Path, top, FileSystem::ResolvedSpelling(Path));
    preview.Summary(Path);
}
