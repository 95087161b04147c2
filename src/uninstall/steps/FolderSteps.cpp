// The Folder and File steps of the uninstall script.
#include "env/Variables.h"
#include "core/Text.h"
#include "logging/Logger.h"
#include "sys/Computer.h"
#include "sys/FileEntry.h"
#include "sys/FileSystem.h"
#include "sys/Procs.h"
#include "sys/ProtectedFolders.h"
#include "uninstall/steps/DeleteDirectory.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/Mask.h"
#include "uninstall/script/ScriptAssert.h"
#include "uninstall/script/ScriptAttributes.h"

namespace {

// The search of a File step: matching files are deleted, those that cannot be go to the
// locked list. Every folder and file is opened without following links and checked on that
// handle before it is searched or deleted through it.
class TFileSearch {
public:
    TFileSearch(TUninstallEngine& Engine, const std::wstring& MaskText)
        : FEngine(Engine), FMask(MaskText), FMaskText(MaskText) {}

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
                DeleteMatchingFile(P + entry.Name, base + entry.Name);
            } else {
                GetLogger().Write(&FEngine, L"File \"%s\" does not match mask", {entry.Name},
                                  ttInformation);
            }
        });
    }

private:
    void DeleteMatchingFile(const std::wstring& Full, const std::wstring& Opened) {
        if (FEngine.OnDeveloperWorkstation(ComputerName()))
            return;
        GetLogger().Write(&FEngine, L"  deleting file \"%s\"...", {Full}, ttInformation);
        FileSystem::TEntryHandle file(Opened, true);
        if (file.Valid() && !file.IsPlain(Opened) && !file.IsLinkItself(Opened)) {
            FEngine.DoErrorFmt(L"Link \"%s\" is not deleted (%s)",
                               {Full, L"the link cannot be removed without touching its target"});
            return;
        }
        // Attributes that keep a plain deletion from working are cleared, as ForceDeleteFile
        // would; what still cannot go is in use.
        if (!file.Valid() ||
            (file.Delete() != 0 && (file.ClearAttributes() != 0 || file.Delete() != 0)))
            FEngine.AddLockedFile(Full);
    }

    TUninstallEngine& FEngine;
    const TMask FMask;
    const std::wstring FMaskText;
};

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
        UINT driveType = FileSystem::DriveType(path.substr(0, 1) + L":\\");
        std::wstring computer = TComputer::GetComputerName();
        if (OnDeveloperWorkstation(computer) || (localOnly && driveType != DRIVE_FIXED) ||
            !FileSystem::FolderExists(path))
            return;
        // A script or a variable must never make the step delete a root or a system folder,
        // under any spelling.
        if (std::wstring reason = ProtectedFolderReason(path); !reason.empty()) {
            DoErrorFmt(L"Folder \"%s\" is not deleted (%s)", {path, reason});
            return;
        }
        DeleteDirectory(*this, path, exclude);
    } catch (const std::exception& e) {
        GetLogger().Write(this, ExceptionMessage(e), ttInformation);
        FLockedFiles.push_back(path);
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
        if (folder.IsPlain(FileSystem::ResolvedSpelling(path)))
            TFileSearch(*this, maskText).Search(path, folder, recursive);
    } catch (const std::exception& e) {
        DoErrorFmt(L"Uninstall folder \"%s\" failed (%s)", {path, ExceptionMessage(e)});
    }
}
