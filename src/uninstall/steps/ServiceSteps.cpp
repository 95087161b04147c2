// The Service step of the uninstall script: a service is stopped, unregistered by its own
// executable and its key removed.
#include "core/Exception.h"
#include "core/Text.h"
#include "logging/Logger.h"
#include "sys/files/FileSystem.h"
#include "sys/files/ProvenPath.h"
#include "sys/files/SystemPath.h"
#include "sys/files/UserControl.h"
#include "sys/processes/Computer.h"
#include "sys/processes/LaunchAndWait.h"
#include "sys/registry/MachineEnvironment.h"
#include "sys/registry/Registry.h"
#include "sys/registry/RegistryTree.h"
#include "sys/services/ServiceManager.h"
#include "sys/shared/Procs.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/ScriptAssert.h"
#include "uninstall/script/ScriptAttributes.h"

#include <cwctype>

namespace {

const wchar_t ServicesKey[] = L"SYSTEM\\CurrentControlSet\\Services\\";
// STANDARD_RIGHTS_READ | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS
constexpr DWORD StopManagerAccess = 0x20014;
constexpr DWORD StopServiceAccess = SERVICE_STOP | SERVICE_QUERY_STATUS;
constexpr DWORD StopLimit = 60000;
constexpr DWORD RemovalLimit = 10000;

// The service's own program with the removal arguments. Program is the program's absolute
// path, started as it stands, never searched for: an image path below "Program Files" holds
// blanks, and an unquoted one must never start a planted "C:\Program.exe".
struct TRemovalCommand {
    FileSystem::TProvenPath Program;
    std::wstring CommandLine;
};

bool IsFile(const std::wstring& Path) {
    DWORD attributes = FileSystem::Attributes(Path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool StartsWithText(const std::wstring& Text, const std::wstring& Start) {
    return Text.size() >= Start.size() && AsciiLower(Text.substr(0, Start.size())) == Start;
}

// The forms the service manager accepts: "\SystemRoot\..." and the NT prefix "\??\".
std::wstring MappedPath(const std::wstring& Path) {
    if (StartsWithText(Path, L"\\systemroot\\"))
        return MachineEnvironment::Expand(L"%SystemRoot%", KEY_WOW64_64KEY) + Path.substr(11);
    if (Path.rfind(L"\\??\\", 0) == 0)
        return Path.substr(4);
    return Path;
}

// "C:\..." and nothing else: a relative path would be taken from the uninstaller's current
// folder, where anyone may have put a program of that name.
bool IsAbsoluteProgram(const std::wstring& Path) {
    return Path.size() > 3 && iswalpha(Path[0]) && Path[1] == L':' && Path[2] == L'\\' &&
           IsFile(Path);
}

// The program of an image path, expanded with the machine's variables only: the quoted part
// when it starts with a quote, else the text up to and including the first ".exe" that names
// an existing program. Never cut at a blank, never searched: anything else raises.
std::wstring ServiceProgram(const std::wstring& ImagePath) {
    const std::wstring path = MachineEnvironment::Expand(ImagePath, KEY_WOW64_64KEY);
    if (!path.empty() && path[0] == L'"') {
        const size_t end = path.find(L'"', 1);
        std::wstring program =
            MappedPath(path.substr(1, end == std::wstring::npos ? end : end - 1));
        if (IsAbsoluteProgram(program))
            return program;
    } else {
        const std::wstring lower = AsciiLower(path);
        for (size_t at = lower.find(L".exe"); at != std::wstring::npos;
             at = lower.find(L".exe", at + 1))
            if (std::wstring program = MappedPath(path.substr(0, at + 4));
                IsAbsoluteProgram(program))
                return program;
    }
    throw Exception(
        Format(L"The image path \"%s\" names no existing program by its full path", {ImagePath}));
}

// The program is quoted only where it must be: a path with a blank. A program other users can
// change (or could have replaced) would run their code as administrator: it is not started.
TRemovalCommand RemovalCommand(const std::wstring& ImagePath, const std::wstring& Param) {
    const std::wstring program = ServiceProgram(ImagePath);
    FileSystem::TPathProof proof = FileSystem::ProveOutOfUsersReach(program);
    if (!proof.Proven)
        throw Exception(
            Format(L"The service's program \"%s\" is not started (%s)", {program, proof.Reason}));
    const std::wstring shown =
        program.find(L' ') == std::wstring::npos ? program : L"\"" + program + L"\"";
    return {std::move(*proof.Proven), shown + L" " + Param};
}

// The service's image path; a key that is there but cannot be read fails the step.
std::wstring ReadImagePath(const std::wstring& Key) {
    TRegKey service = Registry::OpenRead(HKEY_LOCAL_MACHINE, Key);
    if (!service)
        throw Exception(Format(L"Unable to open registry key \"%s\"", {Key}));
    return Registry::ReadString(service.Get(), L"ImagePath");
}

// Stops a running service and waits for it; raises when it does not stop. A service that
// cannot be opened or is not running is left as it is.
void StopService(TUninstallEngine& Engine, const std::wstring& Name) {
    GetLogger().Write(&Engine, L"Stopping service \"%s\"...", {Name}, ttInformation);
    TServiceManager manager;
    manager.SetMachineName(TComputer::GetComputerName());
    manager.SetServiceName(Name);
    if (!manager.Open(StopManagerAccess, StopServiceAccess)) {
        GetLogger().Write(&Engine, L"  open service failed.", ttInformation);
        return;
    }
    if (manager.State() != SERVICE_RUNNING) {
        GetLogger().Write(&Engine, L"  service is not running.", ttInformation);
        return;
    }
    if (!manager.Stop(StopLimit))
        throw Exception(Format(L"Stop Service \"%s\" failed (%s)", {Name, manager.LastMessage()}));
    GetLogger().Write(&Engine, L"  service stopped.", ttInformation);
}

// Runs the service's executable with Param so that the service unregisters itself.
void RunRemovalCommand(TUninstallEngine& Engine, const std::wstring& ImagePath,
                       const std::wstring& Param) {
    TRemovalCommand command = RemovalCommand(ImagePath, Param);
    GetLogger().Write(&Engine, L"Executing \"%s\"...", {command.CommandLine}, ttInformation);
    // The system folder as its current folder: not the uninstaller's, where anyone may write.
    int rc = LaunchAndWait(command.CommandLine, RemovalLimit, SW_HIDE, false,
                           TSystemPath::GetSystemPath(), command.Program);
    if (rc != 0)
        throw Exception(Format(L"Command \"%s\" failed (rc=%d)", {command.CommandLine, rc}));
    GetLogger().Write(&Engine, L"  rc=0", ttInformation);
}

// What the step would do with the service Name whose key Key is there: stop it, run its
// removal command, delete its key.
void ReportService(TUninstallEngine& Engine, const std::wstring& Name, const std::wstring& Key,
                   const std::wstring& ImagePath, const TXmlNode& Node) {
    TServiceManager manager;
    manager.SetMachineName(TComputer::GetComputerName());
    manager.SetServiceName(Name);
    if (!manager.Open(StopManagerAccess, SERVICE_QUERY_STATUS))
        Engine.ReportFmt(L"Service \"%s\" is unknown to the service manager", {Name});
    else if (manager.State() == SERVICE_RUNNING)
        Engine.ReportFmt(L"Service \"%s\" would be stopped", {Name});
    else
        Engine.ReportFmt(L"Service \"%s\" is not running", {Name});
    if (Engine.OnDeveloperWorkstation(ComputerName()))
        Engine.ReportFmt(L"Service \"%s\" would not be removed by its program (%s)",
                         {Name, L"developer workstation"});
    else
        Engine.ReportFmt(
            L"Service \"%s\" would be removed with \"%s\"",
            {Name,
             RemovalCommand(ImagePath, ScriptAttr::RequiredText(Node, L"Param")).CommandLine});
    const std::wstring shown = L"HKLM\\" + Key;
    if (std::wstring refusal = Registry::DeletionRefusal(HKEY_LOCAL_MACHINE, Key); !refusal.empty())
        Engine.ReportFmt(L"Registry key \"%s\" would not be deleted (%s)", {shown, refusal});
    else
        Engine.ReportFmt(L"Registry key \"%s\" would be deleted", {shown});
}

} // namespace

void TUninstallEngine::UninstallService(const TXmlNode& Node) {
    GetLogger().Write(this, L"UninstallService()", ttInformation);
    AssertNodeName(Node, L"Service");
    try {
        std::wstring name = ScriptAttr::RequiredText(Node, L"Name");
        SetStatus(2, L"  " + name);
        const std::wstring key = ServicesKey + name;
        ItemIs(name);
        ItemCheck([key] { return Registry::KeyExists(HKEY_LOCAL_MACHINE, key); });
        const bool exists = Registry::KeyExists(HKEY_LOCAL_MACHINE, key);
        if (!exists)
            ItemKept(L"not found");
        const std::wstring imagePath = exists ? ReadImagePath(key) : L"";
        if (Preview()) {
            if (exists)
                ReportService(*this, name, key, imagePath, Node);
            else
                ReportFmt(L"Service \"%s\" not found", {name});
            return;
        }
        if (exists) {
            StopService(*this, name);
            if (!OnDeveloperWorkstation(ComputerName()))
                RunRemovalCommand(*this, imagePath, ScriptAttr::RequiredText(Node, L"Param"));
        } else {
            GetLogger().Write(this, L"Service \"%s\" not found", {name}, ttInformation);
        }
        // The key goes even when the executable left it behind.
        if (Registry::KeyExists(HKEY_LOCAL_MACHINE, key)) {
            // Through the registry guard: a name that is empty or climbs out of the service's
            // own key never takes the services collection with it.
            if (Registry::DeleteTree(HKEY_LOCAL_MACHINE, key).Deleted())
                GetLogger().Write(this, L"Service \"%s\" remove from registry", {name},
                                  ttInformation);
            else
                GetLogger().Write(this, L"Unable to remove service \"%s\" from registry", {name},
                                  ttInformation);
        }
    } catch (const std::exception& e) {
        DoErrorFmt(L"Uninstall Service failed (%s)", {ExceptionMessage(e)});
    }
}
