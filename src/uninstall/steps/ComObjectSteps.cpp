// The ComObject steps of the ComObjects group: COM servers unregistered by a folder walk, by
// ProgID, or as .NET assemblies with the registration tool.
#include "core/SystemError.h"
#include "core/Text.h"
#include "env/Variables.h"
#include "logging/Logger.h"
#include "sys/com/ComServer.h"
#include "sys/processes/ProgramSearch.h"
#include "sys/files/FileEntry.h"
#include "sys/files/FileSystem.h"
#include "sys/files/ProtectedFolders.h"
#include "sys/files/SystemPath.h"
#include "sys/files/UserControl.h"
#include "sys/processes/Computer.h"
#include "sys/registry/Registry.h"
#include "sys/registry/RegistryKeys.h"
#include "sys/registry/RegistryTree.h"
#include "sys/shared/StrUtils.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/CommaText.h"
#include "uninstall/script/Mask.h"
#include "uninstall/script/ScriptAssert.h"
#include "uninstall/script/ScriptAttributes.h"
#include "uninstall/steps/KeyDeletion.h"
#include "uninstall/steps/MachineClass.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace {

const std::wstring RegasmBelowFramework = L"v4.0.30319\\regasm.exe";
const std::wstring NetFrameworkKey = L"SOFTWARE\\Microsoft\\.NETFramework";

// The .NET Framework's own record of where it is installed (32-bit view), when that names an
// absolute folder: a relative one would find a program below the current folder.
std::wstring FrameworkInstallRoot() {
    TRegKey key = Registry::OpenRead(HKEY_LOCAL_MACHINE, NetFrameworkKey);
    if (!key)
        return L"";
    std::wstring root = Registry::ReadString(key.Get(), L"InstallRoot");
    return PathFormReason(root).empty() ? IncludeTrailingBackslash(root) : L"";
}

// The 32-bit registration tool of .NET Framework 4: below the Windows folder, else below the
// install root the framework registered.
std::wstring RegasmTool() {
    std::wstring tool =
        TSystemPath::GetWindowsPath() + L"Microsoft.NET\\Framework\\" + RegasmBelowFramework;
    if (FileSystem::FileExists(tool))
        return tool;
    std::wstring root = FrameworkInstallRoot();
    if (!root.empty() && FileSystem::FileExists(root + RegasmBelowFramework))
        return root + RegasmBelowFramework;
    throw Exception(L"regasm.exe not found");
}

// A program path with a blank is quoted: unquoted, the system would first try to start the
// part before the blank.
std::wstring ProgramForCommand(const std::wstring& Path) {
    return Path.find(L' ') == std::wstring::npos ? Path : L"\"" + Path + L"\"";
}

std::wstring Quoted(const std::wstring& Text) {
    return L"\"" + TString::Replace(Text, L"\"", L"\"\"", rfReplaceAll) + L"\"";
}

// Whether a class of the machine still names a server the walk of Top would have taken: one
// of the mask's names that is not excluded, in Top itself unless Recursive.
bool ServersLeft(const std::wstring& Top, const std::wstring& MaskText, bool Recursive,
                 const std::vector<std::wstring>& Excluded) {
    const TMask mask(MaskText);
    for (const auto& server : MachineClass::InprocServersBelow(Top)) {
        const std::wstring name = FileNameOf(server);
        const bool excluded =
            std::any_of(Excluded.begin(), Excluded.end(),
                        [&](const std::wstring& e) { return SameTextAscii(e, name); });
        if ((Recursive || server.size() == Top.size() + name.size()) && mask.Matches(name) &&
            !excluded)
            return true;
    }
    return false;
}

// One ComObject step. Each form finds what it would unregister, then acts on it or, in a
// preview, reports it.
class TComObjectStep {
public:
    // The system folder is read first, whatever the form: a system that cannot say ends the run.
    explicit TComObjectStep(TUninstallEngine& Engine)
        : FEngine(Engine), FSystem(TSystemPath::GetSystemPath()) {}

    void UnregisterProgID(const std::wstring& ProgID);
    void RegasmUnregister(const std::wstring& File);
    void WalkFolders(const std::wstring& Path, const std::wstring& MaskText, bool Recursive,
                     const std::wstring& Exclude);

private:
    void Walk(const std::wstring& Folder);
    void UnregisterDll(const std::wstring& File);
    std::wstring NotARegisteredServer(const std::wstring& File) const;
    bool Excluded(const std::wstring& Name) const;
    void DeleteClassKey(const std::wstring& Path);
    void Trace(const std::wstring& Fmt, const TVarRecs& Args) {
        GetLogger().Write(&FEngine, Fmt, Args, ttInformation);
    }

    bool CopyInSystemFolder(const std::wstring& File);

    TUninstallEngine& FEngine;
    const std::wstring FSystem;
    // The files below the walked folder that the machine's classes name as their servers.
    std::vector<FileSystem::TIdentity> FServers;
    std::unique_ptr<TMask> FMask;
    bool FRecursive = true;
    std::vector<std::wstring> FExcluded;
    // The files the walk found by the mask.
    size_t FMatched = 0;
};

void TComObjectStep::WalkFolders(const std::wstring& Path, const std::wstring& MaskText,
                                 bool Recursive, const std::wstring& Exclude) {
    FExcluded = CommaTextList(TString::Replace(Exclude, L";", L",", rfReplaceAll | rfIgnoreCase));
    FMask = std::make_unique<TMask>(MaskText);
    FRecursive = Recursive;
    const std::wstring top = IncludeTrailingBackslash(GetVariables().Replace(Path));
    FEngine.ItemIs(top + MaskText);
    // An empty path, or a variable that stayed as written, would walk the current folder or
    // drive and unregister whatever lies there.
    if (std::wstring reason = PathFormReason(top); !reason.empty()) {
        FEngine.DoErrorFmt(L"COM folder \"%s\" is not walked (%s)", {top, reason});
        return;
    }
    // What is left of the item: a class of the machine still served by a file of the walk.
    FEngine.ItemCheck([top, MaskText, Recursive, excluded = FExcluded] {
        return ServersLeft(top, MaskText, Recursive, excluded);
    });
    for (const auto& server : MachineClass::InprocServersBelow(top)) {
        FileSystem::TEntryHandle file(server, false);
        if (file.Valid() && file.IsPlain(server))
            FServers.push_back(file.Identity());
    }
    Walk(top);
    if (FMatched == 0)
        FEngine.ItemKept(L"not found");
}

// Sub-folders are taken as found: a folder named like a variable is no variable.
void TComObjectStep::Walk(const std::wstring& Folder) {
    FEngine.SetStatus(2, L"  " + Folder);
    FileSystem::ForEachEntry(Folder, [&](const FileSystem::TEntry& entry) {
        if (entry.IsFolder()) {
            // A linked folder belongs to whatever it points at.
            if (FRecursive && !entry.IsLink())
                Walk(Folder + entry.Name + L"\\");
            return;
        }
        if (!FMask->Matches(entry.Name))
            return;
        ++FMatched;
        if (Excluded(entry.Name)) {
            GetLogger().Write(L"\"%s\" not unregistered (Excluded)", {entry.Name}, ttInformation);
            FEngine.ItemExcluded(Folder + entry.Name);
            return;
        }
        const std::wstring file = Folder + entry.Name;
        try {
            UnregisterDll(file);
        } catch (const std::exception& e) {
            GetLogger().Write(L"UnregisterDll(\"%s\") failed (%s)", {file, ExceptionMessage(e)},
                              ttInformation);
        }
    });
}

bool TComObjectStep::Excluded(const std::wstring& Name) const {
    for (const auto& item : FExcluded)
        if (SameTextAscii(item, Name))
            return true;
    return false;
}

// Only a file the machine's registry names as a server, by its own path below the walked
// folder, is ever loaded: a library someone dropped there, or a copy of another product's
// server under a new name or through a link, would run its code as administrator, and
// unregistering it would remove the other product's registration.
std::wstring TComObjectStep::NotARegisteredServer(const std::wstring& File) const {
    FileSystem::TEntryHandle file(File, false);
    if (!file.Valid())
        return L"it cannot be opened: " + SystemErrorText(file.Error());
    if (!file.IsPlain(FileSystem::ResolvedSpelling(File)))
        return L"the path is a link";
    if (std::find(FServers.begin(), FServers.end(), file.Identity()) == FServers.end())
        return L"no class of the machine names it as its server";
    return L"";
}

// A server of which the system folder holds a file of the same name stays registered: the
// registration may be the system copy's.
bool TComObjectStep::CopyInSystemFolder(const std::wstring& File) {
    const std::wstring folder = IncludeTrailingBackslash(ParentOf(File)), name = FileNameOf(File);
    if (SameTextAscii(folder, FSystem) || !FileSystem::FileExists(FSystem + name))
        return false;
    Trace(L"File \"%s\" exists in %s", {name, FSystem});
    Trace(L"  ==> not unregistred", {});
    if (FEngine.Preview())
        FEngine.ReportFmt(L"COM server \"%s\" would not be unregistered (\"%s\" exists in %s)",
                          {File, name, FSystem});
    return true;
}

void TComObjectStep::UnregisterDll(const std::wstring& File) {
    Trace(L"Trying to unregister file \"%s\"...", {File});
    if (CopyInSystemFolder(File))
        return;
    if (std::wstring reason = NotARegisteredServer(File); !reason.empty()) {
        const std::wstring line = L"COM server \"%s\" is not unregistered (%s)";
        if (FEngine.Preview())
            FEngine.ReportFmt(line, {File, reason});
        else
            Trace(line, {File, reason});
        return;
    }
    // The suite's own server, but in a place other users can change: what would load may be
    // theirs by now.
    const FileSystem::TPathProof proof = FileSystem::ProveOutOfUsersReach(File);
    if (!proof.Proven) {
        FEngine.DoErrorFmt(L"COM server \"%s\" is not unregistered (%s)", {File, proof.Reason});
        return;
    }
    if (FEngine.Preview()) {
        FEngine.ReportFmt(L"COM server \"%s\" would be unregistered", {File});
        FEngine.ItemEntry(File);
        return;
    }
    Trace(L"  loading \"%s\"...", {File});
    // A folder where other users may add files (ProgramData's let them) may hold a library of
    // one of the server's import names by now: its imports come from the system folder alone,
    // and a server that needs its own neighbours then fails to load.
    const std::wstring folder = ParentOf(File);
    ComServer::TImportSearch search = ComServer::TImportSearch::BesideAndSystem;
    if (std::wstring reason = FileSystem::AddingEntriesReason(folder); !reason.empty()) {
        Trace(L"  imports from the system folder only (%s)", {reason});
        search = ComServer::TImportSearch::SystemOnly;
    }
    DWORD error = ERROR_SUCCESS;
    TModuleHandle server = ComServer::Load(*proof.Proven, search, error);
    if (!server) {
        Trace(L"Load \"%s\" failed (%s)", {File, SystemErrorText(error)});
        return;
    }
    std::optional<HRESULT> result;
    try {
        result = ComServer::Unregister(server.Get());
    } catch (const std::exception&) {
        // A library that crashed stays loaded: freeing it would run its detach code, outside
        // any guard, in whatever state the crash left it.
        server.Release();
        throw;
    }
    if (!result)
        return;
    if (*result != S_OK)
        FEngine.DoErrorFmt(L"UnregisterDll \"%s\" failed (rc=%d)",
                           {File, static_cast<int>(*result)});
    else {
        Trace(L"File \"%s\" unregistered", {File});
        FEngine.ItemEntry(File);
    }
}

// The ProgID and its class are read and deleted in the machine's classes: through the merged
// classes root a user's own registration of the ProgID could name any machine class.
void TComObjectStep::UnregisterProgID(const std::wstring& ProgID) {
    Trace(L"Trying to unregister progid \"%s\"...", {ProgID});
    FEngine.ItemIs(ProgID);
    const std::wstring clsid = MachineClass::OfProgID(ProgID);
    if (clsid.empty()) {
        FEngine.ItemKept(L"not found");
        Trace(L"ProgID \"%s\" not found", {ProgID});
        // The ProgID goes only together with the class it names.
        return;
    }
    const std::wstring classKey = L"CLSID\\" + clsid;
    FEngine.ItemCheck([ProgID, classKey] {
        return Registry::KeyExists(HKEY_LOCAL_MACHINE, MachineClass::ClassesKey + ProgID) ||
               Registry::KeyExists(HKEY_LOCAL_MACHINE, MachineClass::ClassesKey + classKey);
    });
    if (std::wstring refusal = MachineClass::Refusal(ProgID, clsid); !refusal.empty()) {
        FEngine.DoErrorFmt(L"Class \"%s\" of ProgID \"%s\" is not deleted (%s)",
                           {classKey, ProgID, refusal});
        return;
    }
    if (FEngine.Preview()) {
        ReportKeyTree(FEngine, HKEY_LOCAL_MACHINE, MachineClass::ClassesKey + classKey, classKey);
        ReportKeyTree(FEngine, HKEY_LOCAL_MACHINE, MachineClass::ClassesKey + ProgID, ProgID);
        return;
    }
    DeleteClassKey(classKey);
    DeleteClassKey(ProgID);
}

void TComObjectStep::DeleteClassKey(const std::wstring& Path) {
    TStepKeyDeletion deletion =
        DeleteKeyTree(FEngine, HKEY_LOCAL_MACHINE, MachineClass::ClassesKey + Path, Path);
    if (deletion.Deleted)
        Trace(L"  registry key \"%s\" deleted", {Path});
    else if (!deletion.Error.empty())
        ShowErrorWithReason(FEngine, Format(L"Unable to delete registry key \"%s\"", {Path}),
                            deletion.Error);
}

void TComObjectStep::RegasmUnregister(const std::wstring& File) {
    Trace(L"Trying to regasm /u \"%s\"...", {File});
    const std::wstring path = GetVariables().Replace(File);
    FEngine.ItemIs(path);
    // A relative path names whatever lies below the current folder.
    if (!PathFormReason(path).empty() || !FileSystem::FileExists(path)) {
        FEngine.ItemKept(L"not found");
        Trace(L"File \"%s\" not found => no regasm /u", {path});
        return;
    }
    // The tool runs the assembly's own unregistration code as administrator: an assembly
    // other users can change may be theirs by now.
    if (std::wstring reason = FileSystem::UserControlReason(path); !reason.empty()) {
        FEngine.DoErrorFmt(L"Assembly \"%s\" is not unregistered (%s)", {path, reason});
        return;
    }
    const std::wstring command =
        ProgramForCommand(RegasmTool()) + L" " + Quoted(path) + L" /unregister /silent";
    if (FEngine.Preview()) {
        FEngine.ReportFmt(L"Command \"%s\" would be run", {command});
        return;
    }
    int rc = TComputer::LaunchAndWait(command, INFINITE, SW_HIDE, L"", ProvenProgram(command));
    Trace(L"Cmd=\"%s\"; rc=%d", {command, rc});
}

} // namespace

void TUninstallEngine::UninstallComObject(const TXmlNode& Node) {
    GetLogger().Write(this, L"UninstallComObject()", ttInformation);
    AssertNodeName(Node, L"ComObject");
    TComObjectStep step(*this);
    const std::wstring path = ScriptAttr::OptionalText(Node, L"Path", L"");
    const std::wstring mask = ScriptAttr::OptionalText(Node, L"Mask", L"");
    const bool recursive =
        ScriptAttr::WordBool(ScriptAttr::OptionalText(Node, L"Recursive", L"true"));
    const std::wstring exclude = ScriptAttr::OptionalText(Node, L"Exclude", L"");
    const std::wstring progID = ScriptAttr::OptionalText(Node, L"ProgID", L"");
    const std::wstring regasm = ScriptAttr::OptionalText(Node, L"Regasm", L"0");
    const std::wstring file = ScriptAttr::OptionalText(Node, L"File", L"");
    if (regasm == L"1")
        step.RegasmUnregister(file);
    else if (!progID.empty())
        step.UnregisterProgID(progID);
    else
        step.WalkFolders(path, mask, recursive, exclude);
}
