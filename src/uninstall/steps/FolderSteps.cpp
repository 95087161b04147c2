// The Folder and File steps of the uninstall script.
#include "env/Variables.h"
#include "core/Text.h"
#include "logging/Logger.h"
#include "sys/Computer.h"
#include "sys/FileEntry.h"
#include "sys/FileSystem.h"
#include "sys/Procs.h"
#include "sys/ProtectedFolders.h"
#include "uninstall/steps/CheckedDeletion.h"
#include "uninstall/steps/DeleteDirectory.h"
#include "uninstall/steps/TreePreview.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/Mask.h"
#include "uninstall/script/ScriptAssert.h"
#include "uninstall/script/ScriptAttributes.h"

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

    // Folder as the script spells it; Opened is it, checked to be no link.
    void Search(const std::wstring& Folder, const FileSystem::TEntryHandle& Opened,
                bool Recursive) {
        const std::wstring P = IncludeTrailingBackslash(Folder);
        const std::wstring base = IncludeTrailingBackslash(Opened.FinalPath());
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
                (this->*FAction)(P + entry.Name, base + entry.Name);
            } else {
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
            FEngine.ReportFmt(L"\"%s\" cannot be opened: it would be deleted at the next restart",
                              {Full});
        } else if (!file.IsAt(Opened)) {
            ReportLinkLeft(FEngine, Full);
        } else {
            ++FFiles;
            FBytes += file.Size();
            FEngine.ReportFmt(L"File \"%s\" would be deleted (%u bytes)", {Full, file.Size()});
        }
    }

    void DeleteMatchingFile(const std::wstring& Full, const std::wstring& Opened) {
        if (FEngine.OnDeveloperWorkstation(ComputerName()))
            return;
        GetLogger().Write(&FEngine, L"  deleting file \"%s\"...", {Full}, ttInformation);
        static_cast<void>(DeleteCheckedFile(FEngine, Full, Opened)); // it says what stays
    }

private:
    TUninstallEngine& FEngine;
    const TMask FMask;
    const std::wstring FMaskText;
    const TAction FAction;
    unsigned long long FFiles = 0;
    unsigned long long FBytes = 0;
};

// Why a Folder step leaves its folder alone before any guard is asked; empty when it goes on.
std::wstring FolderLeftReason(const TUninstallEngine& Engine, const std::wstring& Path,
                              bool LocalOnly) {
    UINT driveType = FileSystem::DriveType(Path.substr(0, 1) + L":\\");
    if (Engine.OnDeveloperWorkstation(TComputer::GetComputerName()))
        return L"developer workstation";
    if (LocalOnly && driveType != DRIVE_FIXED)
        return L"LocalOnly, and not on a local fixed drive";
    if (!FileSystem::FolderExists(Path))
        return L"not found";
    return L"";
}

} // namespace

void TUninstallEngine::UninstallFolder(const TXmlNode& Node) {
    GetLogger().Write(this, L"UninstallFolder()", ttInformation);
    AssertNodeName(Node, L"Folder");
    std::wstring path;
    try {
        path = GetVariables().Replace(ScriptAttr::RequiredText(Node, L"Path"));
        std::wstring exclude = ScriptAttr::OptionalText(Node, L"Exclude", L"");
        bool localOnly = ScriptAttr::OptionalValueBool(Node, L"LocalOnly");
        SetStatus(2, L"  " + path);
        if (std::wstring left = FolderLeftReason(*this, path, localOnly); !left.empty()) {
            if (Preview())
                ReportFmt(L"Folder \"%s\" is left alone (%s)", {path, left});
            return;
        }
        // A script or a variable must never make the step delete a root or a system folder,
        // under any spelling.
        if (std::wstring reason = ProtectedFolderReason(path); !reason.empty()) {
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
        path = IncludeTrailingBackslash(
            GetVariables().Replace(ScriptAttr::RequiredText(Node, L"Path")));
        std::wstring maskText = ScriptAttr::RequiredText(Node, L"Mask");
        bool recursive = ScriptAttr::RequiredValueBool(Node, L"Recursive");
        // A folder that is not there has nothing to search: a variable left unexpanded ends
        // here without an error line.
        if (!path.empty() && !FileSystem::FolderExists(path))
            return;
        // An empty path would search the current drive, a relative one the current folder; a
        // mask that takes every file must not empty a system folder.
        if (std::wstring reason = FileSearchReason(path, maskText); !reason.empty()) {
            DoErrorFmt(L"File \"%s\" is not deleted (%s)", {path, reason});
            return;
        }
        FileSystem::TEntryHandle folder(path, false);
        if (!folder.IsPlain(FileSystem::ResolvedSpelling(path)))
            return;
        if (Preview()) {
            TFileSearch search(*this, maskText, &TFileSearch::ReportMatchingFile);
            search.Search(path, folder, recursive);
            search.Summary(path);
        } else {
            TFileSearch(*this, maskText, &TFileSearch::DeleteMatchingFile)
                .Search(path, folder, recursive);
        }
    } catch (const std::exception& e) {
        DoErrorFmt(L"Uninstall folder \"%s\" failed (%s)", {path, ExceptionMessage(e)});
    }
}
