// The Folder and File steps of the uninstall script.
#include "env/Variables.h"
#include "core/Text.h"
#include "logging/Logger.h"
#include "sys/Computer.h"
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
// locked list.
class TFileSearch {
public:
    TFileSearch(TUninstallEngine& Engine, const std::wstring& MaskText)
        : FEngine(Engine), FMask(MaskText), FMaskText(MaskText) {}

    void Search(const std::wstring& Folder, bool Recursive) {
        const std::wstring P = IncludeTrailingBackslash(Folder);
        FEngine.SetStatus(2, L"  " + P + FMaskText);
        FileSystem::ForEachEntry(P, [&](const FileSystem::TEntry& entry) {
            if (entry.IsFolder()) {
                // A linked folder is not searched: its files belong to whatever it points at.
                if (Recursive && !entry.IsLink())
                    Search(P + entry.Name, Recursive);
            } else if (FMask.Matches(entry.Name)) {
                DeleteMatchingFile(P + entry.Name);
            } else {
                GetLogger().Write(&FEngine, L"File \"%s\" does not match mask", {entry.Name},
                                  ttInformation);
            }
        });
    }

private:
    void DeleteMatchingFile(const std::wstring& Full) {
        if (FEngine.OnDeveloperWorkstation(ComputerName()))
            return;
        GetLogger().Write(&FEngine, L"  deleting file \"%s\"...", {Full}, ttInformation);
        try {
            ForceDeleteFile(Full);
        } catch (const std::exception&) {
            FEngine.AddLockedFile(Full);
        }
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
        // A script or a variable must never make the step delete a root or a system folder.
        std::wstring reason = ProtectedFolderReason(path);
        if (!reason.empty()) {
            DoErrorFmt(L"Folder \"%s\" is not deleted (%s)", {path, reason});
            return;
        }
        UINT driveType = FileSystem::DriveType(path.substr(0, 1) + L":\\");
        std::wstring computer = TComputer::GetComputerName();
        if (!OnDeveloperWorkstation(computer) && (!localOnly || driveType == DRIVE_FIXED) &&
            FileSystem::FolderExists(path))
            DeleteDirectory(this, path, exclude, FLockedFiles);
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
        // A path that names no folder would search the current folder or drive.
        if (std::wstring reason = PathFormReason(path); !reason.empty()) {
            DoErrorFmt(L"File \"%s\" is not deleted (%s)", {path, reason});
            return;
        }
        TFileSearch(*this, maskText).Search(path, recursive);
    } catch (const std::exception& e) {
        DoErrorFmt(L"Uninstall folder \"%s\" failed (%s)", {path, ExceptionMessage(e)});
    }
}
