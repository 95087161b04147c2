// The Folder and File steps of the uninstall script.
#include "env/Variables.h"
#include "core/Text.h"
#include "logging/Logger.h"
#include "sys/Computer.h"
#include "sys/FileSystem.h"
#include "sys/Procs.h"
#include "sys/ProtectedFolders.h"
#include "uninstall/steps/DeleteDirectory.h"
#include "uninstall/steps/LockedFiles.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/Mask.h"
#include "uninstall/script/ScriptAssert.h"
#include "uninstall/script/ScriptAttributes.h"

namespace {

std::wstring WithDelimiter(std::wstring path) {
    if (path.empty() || path.back() != L'\\')
        path += L'\\';
    return path;
}

} // namespace

bool TUninstallEngine::OnDeveloperWorkstation(const std::wstring& Computer) const {
    return SameTextAscii(Computer, FDeveloperWorkstation);
}

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
        path = WithDelimiter(GetVariables().Replace(ScriptAttr::RequiredText(Node, L"Path")));
        std::wstring maskText = ScriptAttr::RequiredText(Node, L"Mask");
        bool recursive = ScriptAttr::RequiredValueBool(Node, L"Recursive");
        SearchFiles(path, TMask(maskText), maskText, recursive);
    } catch (const std::exception& e) {
        DoErrorFmt(L"Uninstall folder \"%s\" failed (%s)", {path, ExceptionMessage(e)});
    }
}

void TUninstallEngine::SearchFiles(const std::wstring& Folder, const TMask& Mask,
                                   const std::wstring& MaskText, bool Recursive) {
    const std::wstring P = WithDelimiter(Folder);
    SetStatus(2, L"  " + P + MaskText);
    FileSystem::ForEachEntry(P, [&](const FileSystem::TEntry& entry) {
        if (entry.IsFolder()) {
            // A linked folder is not searched: its files belong to whatever it points at.
            if (Recursive && !entry.IsLink())
                SearchFiles(P + entry.Name, Mask, MaskText, Recursive);
        } else if (Mask.Matches(entry.Name)) {
            DeleteMatchingFile(P + entry.Name);
        } else {
            GetLogger().Write(this, L"File \"%s\" does not match mask", {entry.Name},
                              ttInformation);
        }
    });
}

void TUninstallEngine::DeleteMatchingFile(const std::wstring& Full) {
    if (OnDeveloperWorkstation(ComputerName()))
        return;
    GetLogger().Write(this, L"  deleting file \"%s\"...", {Full}, ttInformation);
    try {
        ForceDeleteFile(Full);
    } catch (const std::exception&) {
        FLockedFiles.push_back(Full);
    }
}

void TUninstallEngine::DeleteLockedFiles() {
    ::DeleteLockedFiles(this, FLockedFiles);
}
