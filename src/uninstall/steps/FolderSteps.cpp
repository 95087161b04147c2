// The Folder and File steps of the uninstall script.
#include "core/Text.h"
#include "env/Variables.h"
#include "logging/Logger.h"
#include "sys/files/FileEntry.h"
#include "sys/files/FileSystem.h"
#include "sys/files/ProtectedFolders.h"
#include "sys/processes/Computer.h"
#include "sys/shared/Procs.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/Mask.h"
#include "uninstall/script/ScriptAssert.h"
#include "uninstall/script/ScriptAttributes.h"
#include "uninstall/steps/CheckedDeletion.h"
#include "uninstall/steps/DeleteDirectory.h"
#include "uninstall/steps/TreePreview.h"

namespace {

// The search of a File step: matching files are deleted, those that cannot be go to the
// locked list; or, in a preview, reported. Every folder and file is opened without following
// links and checked on that handle before it is searched or deleted through it.
class TFileSearch {
public:
    // What becomes of a matching file, spelled Full and opened as Opened.
    using TAction = void (TFileSearch::*)(const std::wstring& Full, const std::wstring& Opened);

    TFileSearch(TUninstallEngine& Engine, const std::wstring& MaskText, TAction Action)
        : FEngine(Engine), FMask(MaskText), FMaskText(MaskText), FAction(Action) {}

    // The files a search with CountMatchingFile found: what the mask still names.
    size_t Matching() const { return FMatching; }

    // Folder as the script spells it; Opened is it, checked to be no link.
    void Search(const std::wstring& Folder, const FileSystem::TEntryHandle& Opened,
                bool Recursive) {
        const std::wstring P = IncludeTrailingBackslash(Folder);
        const std::wstring base = IncludeTrailingBackslash(Opened.FinalPath());
        if (FAction != &TFileSearch::CountMatchingFile)
            FEngine.SetStatus(2, L"  " + P + FMaskText);
        Opened.ForEachEntry([&](const FileSystem::TEntry& entry) {
            if (entry.IsFolder()) {
                if (!Recursive)
                    return;
                // A linked folder is not searched: its files belong to whatever it points at.
                FileSystem::TEntryHandle folder(base + entry.Name, false);
                if (folder.IsPlain(base + entry.Name))
                    Search(P + entry.Name, folder, Recursive);
            } else if (FMask.Matches(entry.Name)) {
                ++FMatching;
                (this->*FAction)(P + entry.Name, base + entry.Name);
            } else if (FAction != &TFileSearch::CountMatchingFile) {
                GetLogger().Write(&FEngine, L"File \"%s\" does not match mask", {entry.Name},
                                  ttInformation);
            }
        });
    }

    // What a preview counts: the files the search would delete and their size.
    void Summary(const std::wstring& Folder) const {
        FEngine.ReportFmt(L"Files \"%s%s\": %u files (%u bytes) would be deleted",
                          {Folder, FMaskText, FFiles, FBytes});
    }

    void ReportMatchingFile(const std::wstring& Full, const std::wstring& Opened) {
        if (FEngine.OnDeveloperWorkstation(ComputerName())) {
            FEngine.ReportFmt(L"File \"%s\" is left alone (developer workstation)", {Full});
            return;
        }
        FileSystem::TEntryHandle file(Opened, false);
        if (!file.Valid()) {
            ReportInUse(FEngine, Full, L"");
        } else if (!file.IsAt(Opened)) {
            ReportLinkLeft(FEngine, Full);
        } else {
            ++FFiles;
            FBytes += file.Size();
            FEngine.ItemEntry(Full);
            FEngine.ReportFmt(L"File \"%s\" would be deleted (%u bytes)", {Full, file.Size()});
        }
    }

    // The look after the run: the matching files are only counted, without a trace line.
    void CountMatchingFile(const std::wstring&, const std::wstring&) {}

    void DeleteMatchingFile(const std::wstring& Full, const std::wstring& Opened) {
        if (FEngine.OnDeveloperWorkstation(ComputerName()))
            return;
        GetLogger().Write(&FEngine, L"  deleting file \"%s\"...", {Full}, ttInformation);
        // What stays, it says itself.
        if (DeleteCheckedFile(FEngine, Full, Opened))
            FEngine.ItemEntry(Full);
    }

private:
    TUninstallEngine& FEngine;
    const TMask FMask;
    const std::wstring FMaskText;
    const TAction FAction;
    unsigned long long FFiles = 0;
    unsigned long long FBytes = 0;
    size_t FMatching = 0;
};

// How many files below Folder the mask names, searched as the step searches.
size_t MatchingFiles(TUninstallEngine& Engine, const std::wstring& Folder,
                     const std::wstring& MaskText, bool Recursive) {
    if (!FileSystem::FolderExists(Folder))
        return 0;
    FileSystem::TEntryHandle folder(Folder, false);
    if (!folder.IsPlain(FileSystem::ResolvedSpelling(Folder)))
        return 0;
    TFileSearch search(Engine, MaskText, &TFileSearch::CountMatchingFile);
    search.Search(Folder, folder, Recursive);
    return search.Matching();
}

// Why a Folder step leaves its folder alone before any guard is asked (as the preview says
// it, and as the item's record says it); empty when it goes on.
struct TLeftAlone {
    std::wstring Why;
    std::wstring Kept;
};

TLeftAlone FolderLeftReason(const TUninstallEngine& Engine, const std::wstring& Path,
                            bool LocalOnly) {
    UINT driveType = FileSystem::DriveType(Path.substr(0, 1) + L":\\");
    if (Engine.OnDeveloperWorkstation(TComputer::GetComputerName()))
        return {L"developer workstation", L"developer workstation"};
    if (LocalOnly && driveType != DRIVE_FIXED)
        return {L"LocalOnly, and not on a local fixed drive", L"local-only"};
    if (!FileSystem::FolderExists(Path))
        return {L"not found", L"not found"};
    return {};
}

} // namespace

void TUninstallEngine::UninstallFolder(const TXmlNode& Node) {
    GetLogger().Write(this, L"UninstallFolder()", ttInformation);
    AssertNodeName(Node, L"Folder");
    std::wstring path;
    try {
        // As written, until its variables are replaced.
        const std::wstring written = ScriptAttr::RequiredText(Node, L"Path");
        ItemIs(written);
        if (std::wstring reason = GetVariables().UserFolderRefusal(written); !reason.empty()) {
            ItemKept(L"protected");
            DoErrorFmt(L"Folder \"%s\" is not deleted (%s)", {written, reason});
            return;
        }
        path = GetVariables().Replace(written);
        std::wstring exclude = ScriptAttr::OptionalText(Node, L"Exclude", L"");
        bool localOnly = ScriptAttr::OptionalValueBool(Node, L"LocalOnly");
        SetStatus(2, L"  " + path);
        ItemIs(path);
        if (std::wstring reason = FileSystem::DeviceReason(path); !reason.empty()) {
            ItemKept(L"protected");
            DoErrorFmt(L"Folder \"%s\" is not deleted (%s)", {path, reason});
            return;
        }
        ItemCheck([path] { return FileSystem::FolderExists(path); });
        if (TLeftAlone left = FolderLeftReason(*this, path, localOnly); !left.Why.empty()) {
            ItemKept(left.Kept);
            if (Preview())
                ReportFmt(L"Folder \"%s\" is left alone (%s)", {path, left.Why});
            return;
        }
        // A script or a variable must never make the step delete a root or a system folder,
        // under any spelling.
        if (std::wstring reason = ProtectedFolderReason(path); !reason.empty()) {
            ItemKept(L"protected");
            DoErrorFmt(L"Folder \"%s\" is not deleted (%s)", {path, reason});
            return;
        }
        if (Preview())
            PreviewDirectory(*this, path, exclude);
        else
            DeleteDirectory(*this, path, exclude);
    } catch (const std::exception& e) {
        GetLogger().Write(this, ExceptionMessage(e), ttInformation);
        AddLockedFile(path);
    }
}

void TUninstallEngine::UninstallFile(const TXmlNode& Node) {
    GetLogger().Write(this, L"UninstallFile()", ttInformation);
    AssertNodeName(Node, L"File");
    std::wstring path;
    try {
        const std::wstring written = ScriptAttr::RequiredText(Node, L"Path");
        ItemIs(written + ScriptAttr::OptionalText(Node, L"Mask", L""));
        if (std::wstring reason = GetVariables().UserFolderRefusal(written); !reason.empty()) {
            ItemKept(L"protected");
            DoErrorFmt(L"File \"%s\" is not deleted (%s)", {written, reason});
            return;
        }
        path = IncludeTrailingBackslash(GetVariables().Replace(written));
        std::wstring maskText = ScriptAttr::RequiredText(Node, L"Mask");
        bool recursive = ScriptAttr::RequiredValueBool(Node, L"Recursive");
        ItemIs(path + maskText);
        // A folder that is not there has nothing to search: a variable left unexpanded ends
        // here without an error line.
        if (!path.empty() && !FileSystem::FolderExists(path)) {
            ItemKept(L"not found");
            return;
        }
        // An empty path would search the current drive, a relative one the current folder; a
        // mask that takes every file must not empty a system folder.
        if (std::wstring reason = FileSearchReason(path, maskText); !reason.empty()) {
            DoErrorFmt(L"File \"%s\" is not deleted (%s)", {path, reason});
            return;
        }
        ItemCheck([this, path, maskText, recursive] {
            return MatchingFiles(*this, path, maskText, recursive) > 0;
        });
        FileSystem::TEntryHandle folder(path, false);
        if (!folder.IsPlain(FileSystem::ResolvedSpelling(path))) {
            ItemKept(L"link");
            return;
        }
        TFileSearch search(*this, maskText,
                           Preview() ? &TFileSearch::ReportMatchingFile
                                     : &TFileSearch::DeleteMatchingFile);
        search.Search(path, folder, recursive);
        if (Preview())
            search.Summary(path);
        if (search.Matching() == 0)
            ItemKept(L"not found");
        else if (OnDeveloperWorkstation(ComputerName()))
            ItemKept(L"developer workstation");
    } catch (const std::exception& e) {
        DoErrorFmt(L"Uninstall folder \"%s\" failed (%s)", {path, ExceptionMessage(e)});
    }
}
