// The Service step against real services of Wine's service control manager: copies of the
// tests' service program registered under unique names, which record how they were asked to
// remove themselves.
#include "core/Handle.h"
#include "core/SystemError.h"
#include "core/Text.h"
#include "support/EnvSupport.h"
#include "support/ServiceSupport.h"
#include "sys/files/SystemPath.h"
#include "sys/shared/Procs.h"
#include "uninstall/steps/StepFixture.h"

#include <aclapi.h>

namespace {

std::wstring ServiceStep(const std::wstring& Name, const std::wstring& Param) {
    return L"<Service Name=\"" + Name + L"\" Param=\"" + Param + L"\"/>";
}

// The error line of a service whose image path names no program the step may start.
std::wstring NoProgram(const std::wstring& ImagePath) {
    return L"Uninstall Service failed (The image path \"" + ImagePath +
           L"\" names no existing program by its full path)";
}

std::wstring Services(const std::wstring& Elements) {
    return L"<Services>" + Elements + L"</Services>";
}

std::wstring Quoted(const std::wstring& Text) {
    return L"\"" + Text + L"\"";
}

// The program as the removal command names it: quoted only where its path has a blank.
std::wstring Shown(const std::wstring& Program) {
    return Program.find(L' ') == std::wstring::npos ? Program : Quoted(Program);
}

// Grants everyone only Access to a key below HKLM while it lives (and always the right to give
// the key back its full access afterwards).
class TKeyAccess {
public:
    TKeyAccess(const std::wstring& Key, DWORD Access) : FKey(Key) {
        Set(Access | WRITE_DAC | READ_CONTROL);
    }
    ~TKeyAccess() { Set(KEY_ALL_ACCESS); }
    TKeyAccess(const TKeyAccess&) = delete;
    TKeyAccess& operator=(const TKeyAccess&) = delete;

private:
    void Set(DWORD Access) {
        alignas(DWORD) BYTE buffer[128];
        auto* acl = reinterpret_cast<ACL*>(buffer);
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        ASSERT_TRUE(InitializeAcl(acl, sizeof(buffer), ACL_REVISION));
        ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0,
                                             &everyone));
        AddAccessAllowedAce(acl, ACL_REVISION, Access, everyone);
        TRegKey key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, FKey.c_str(), 0, WRITE_DAC, key.Put()),
                  ERROR_SUCCESS);
        EXPECT_EQ(SetSecurityInfo(key.Get(), SE_REGISTRY_KEY,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, acl, nullptr),
                  static_cast<DWORD>(ERROR_SUCCESS));
        FreeSid(everyone);
    }

    std::wstring FKey;
};

class ServiceStepTest : public StepTest {
protected:
    // The trace lines of the main window, in order, without the module column.
    std::vector<std::wstring> StepLines() const {
        std::vector<std::wstring> lines;
        for (const auto& line : Trace.Lines)
            if (line.rfind(L"TMainForm|", 0) == 0)
                lines.push_back(line.substr(10));
        return lines;
    }
    // Whether Expected appear among the window's trace lines in this order.
    bool TracedInOrder(const std::vector<std::wstring>& Expected) const {
        std::vector<std::wstring> lines = StepLines();
        auto at = lines.begin();
        for (const auto& line : Expected) {
            at = std::find(at, lines.end(), line);
            if (at == lines.end())
                return false;
            ++at;
        }
        return true;
    }
};

// A running service is stopped, runs its own program to remove itself and loses its key.
TEST_F(ServiceStepTest, ARunningServiceIsStoppedUnregisteredAndItsKeyRemoved) {
    test::TTestService service;
    service.Start();

    RunSteps(Services(ServiceStep(service.Name(), L"-remove keep")));

    const std::wstring command = Shown(service.Exe()) + L" -remove keep";
    EXPECT_TRUE(View.Errors.empty()) << WideToUtf8(View.Errors[0]);
    EXPECT_TRUE(
        TracedInOrder({L"UninstallService()", L"  " + service.Name(),
                       L"Stopping service \"" + service.Name() + L"\"...", L"  service stopped.",
                       L"Executing \"" + command + L"\"...", L"  rc=0",
                       L"Service \"" + service.Name() + L"\" remove from registry"}));
    EXPECT_EQ(service.RemovalCommandLine(), command);
    EXPECT_FALSE(service.KeyExists());
}

// A paused service is not running: it is not stopped, and its program still removes it.
TEST_F(ServiceStepTest, APausedServiceIsNotStoppedButStillRemoved) {
    test::TTestService service;
    service.Start();
    {
        TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
        TServiceHandle handle(OpenServiceW(manager.Get(), service.Name().c_str(),
                                           SERVICE_PAUSE_CONTINUE | SERVICE_QUERY_STATUS));
        SERVICE_STATUS status{};
        ASSERT_TRUE(ControlService(handle.Get(), SERVICE_CONTROL_PAUSE, &status));
    }
    for (int i = 0; i < 100 && service.State() != SERVICE_PAUSED; ++i)
        Sleep(50);
    ASSERT_EQ(service.State(), static_cast<DWORD>(SERVICE_PAUSED));

    RunSteps(Services(ServiceStep(service.Name(), L"-remove")));

    const std::wstring command = Shown(service.Exe()) + L" -remove";
    EXPECT_TRUE(View.Errors.empty()) << WideToUtf8(View.Errors[0]);
    EXPECT_TRUE(
        TracedInOrder({L"Stopping service \"" + service.Name() + L"\"...",
                       L"  service is not running.", L"Executing \"" + command + L"\"...",
                       L"  rc=0", L"Service \"" + service.Name() + L"\" remove from registry"}));
    EXPECT_EQ(service.RemovalCommandLine(), command);
    EXPECT_FALSE(service.KeyExists());
}

// A service that is still starting is not running either: not stopped, and still removed.
TEST_F(ServiceStepTest, AStartingServiceIsNotStoppedButStillRemoved) {
    test::TTestService service({.Arguments = L"-service -slowstart"});
    {
        TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
        TServiceHandle handle(OpenServiceW(manager.Get(), service.Name().c_str(), SERVICE_START));
        ASSERT_TRUE(StartServiceW(handle.Get(), 0, nullptr));
    }
    for (int i = 0; i < 200 && service.State() != SERVICE_START_PENDING; ++i)
        Sleep(50);
    ASSERT_EQ(service.State(), static_cast<DWORD>(SERVICE_START_PENDING));

    RunSteps(Services(ServiceStep(service.Name(), L"-remove")));

    EXPECT_TRUE(View.Errors.empty()) << WideToUtf8(View.Errors[0]);
    EXPECT_TRUE(
        TracedInOrder({L"  service is not running.",
                       L"Executing \"" + Shown(service.Exe()) + L" -remove\"...", L"  rc=0"}));
    EXPECT_FALSE(service.KeyExists());
}

// The program is found by its real path, quoted or not, below a folder with blanks, and the
// program the command names is the one started: a planted "Program.exe" above never runs.
TEST_F(ServiceStepTest, TheServiceProgramIsFoundBelowAFolderWithBlanks) {
    test::TTestService quoted({.Blanks = true});
    test::TTestService unquoted({.Blanks = true, .Form = test::TTestService::Unquoted});
    quoted.Start();
    unquoted.Start();
    // Planted after the start, which would otherwise run it as the service.
    std::wstring planted = unquoted.Root() + L"Program.exe";
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"service_helper.exe").c_str(), planted.c_str(), FALSE));

    RunSteps(Services(ServiceStep(quoted.Name(), L"-remove Watchdog") +
                      ServiceStep(unquoted.Name(), L"-remove -id Sso")));

    EXPECT_TRUE(View.Errors.empty()) << WideToUtf8(View.Errors[0]);
    EXPECT_EQ(quoted.RemovalCommandLine(), Quoted(quoted.Exe()) + L" -remove Watchdog");
    EXPECT_EQ(unquoted.RemovalCommandLine(), Quoted(unquoted.Exe()) + L" -remove -id Sso");
    EXPECT_FALSE(test::FileExists(planted + L".remove.txt")) << "the planted program ran";
    EXPECT_FALSE(quoted.KeyExists());
    EXPECT_FALSE(unquoted.KeyExists());
    EXPECT_EQ(quoted.State(), 0u) << "the service removed itself";
}

// A program that is gone is not looked for elsewhere: the command fails, the key stays, and
// "Program.exe" above the unquoted path with blanks is never started in its place.
TEST_F(ServiceStepTest, AProgramThatIsGoneIsNotReplacedByAPlantedOne) {
    test::TTestService vanished({.Blanks = true, .Form = test::TTestService::Unquoted});
    std::wstring planted = vanished.Root() + L"Program.exe";
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"service_helper.exe").c_str(), planted.c_str(), FALSE));
    ASSERT_TRUE(DeleteFileW(vanished.Exe().c_str()));

    RunSteps(Services(ServiceStep(vanished.Name(), L"-remove")));

    EXPECT_EQ(View.Errors, std::vector<std::wstring>{NoProgram(vanished.ImagePath())});
    EXPECT_FALSE(test::FileExists(planted + L".remove.txt")) << "the planted program ran";
    EXPECT_TRUE(vanished.KeyExists());
}

// A service's program in a folder other users can change may be theirs by now: it is not
// started with the removal arguments, an error line says why, and the key stays with the rest
// of the step undone.
TEST_F(ServiceStepTest, AProgramOtherUsersCanChangeIsNotStarted) {
    test::TTestService service;
    const std::wstring folder = service.Exe().substr(0, service.Exe().rfind(L'\\'));
    test::LetEveryoneChange(folder);

    RunSteps(Services(ServiceStep(service.Name(), L"-remove")));

    EXPECT_EQ(View.Errors,
              std::vector<std::wstring>{L"Uninstall Service failed (The service's program \"" +
                                        service.Exe() + L"\" is not started (\"" + folder +
                                        L"\" lets S-1-1-0 change it))"});
    EXPECT_EQ(service.RemovalCommandLine(), L"") << "the program ran";
    EXPECT_TRUE(service.KeyExists());
}

// An image path gives its program by its full path, expanded with the machine's variables
// only: a relative path (taken from the current folder) and a variable of the user's
// environment both name a program anyone may have planted, and neither runs. The forms the
// service manager knows ("%SystemRoot%", "\\SystemRoot\\", "\\??\\") start the program,
// in the system folder.
TEST_F(ServiceStepTest, TheRemovalProgramIsTakenByItsFullPathOnly) {
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    const std::wstring plantedName = test::UniqueName(L"UtPlanted-") + L".exe";
    const std::wstring planted = IncludeTrailingBackslash(current) + plantedName;
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"service_helper.exe").c_str(), planted.c_str(), FALSE));
    SetEnvironmentVariableW(L"NrvTestUserDir", current);
    const std::wstring windowsFolder = IncludeTrailingBackslash(TSystemPath::GetWindowsPath());
    const std::wstring underWindows =
        windowsFolder + L"Temp\\" + test::UniqueName(L"UtSvcWin-") + L"\\";
    ASSERT_TRUE(CreateDirectoryW(underWindows.c_str(), nullptr));
    const std::wstring inWindows = underWindows + L"broker.exe";
    ASSERT_TRUE(
        CopyFileW(test::HelperPath(L"service_helper.exe").c_str(), inWindows.c_str(), FALSE));
    const std::wstring belowRoot = inWindows.substr(windowsFolder.size());

    struct TCase {
        std::wstring ImagePath;
        bool Runs;
    };
    test::TTestService ntPrefix({.Register = false});
    const std::vector<TCase> cases = {
        {plantedName + L" -service", false},
        {L"%NrvTestUserDir%\\" + plantedName + L" -service", false},
        {L"\"%NrvTestUserDir%\\" + plantedName + L"\" -service", false},
        {L"", false},
        {L"%SystemRoot%\\" + belowRoot + L" -service", true},
        {L"\\SystemRoot\\" + belowRoot + L" -service", true},
        {L"\\??\\" + ntPrefix.Exe() + L" -service", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.ImagePath));
        test::TTestService service({.Register = false});
        test::WriteRegString(HKEY_LOCAL_MACHINE, test::ServiceKey(service.Name()), L"ImagePath",
                             c.ImagePath, 0, REG_EXPAND_SZ);
        const std::wstring program =
            c.ImagePath.rfind(L"\\??\\", 0) == 0 ? ntPrefix.Exe() : inWindows;
        DeleteFileW((program + L".remove.txt").c_str());
        View.Errors.clear();

        RunSteps(Services(ServiceStep(service.Name(), L"-remove keep")));

        EXPECT_FALSE(test::FileExists(planted + L".remove.txt")) << "the planted program ran";
        if (c.Runs) {
            EXPECT_TRUE(View.Errors.empty()) << WideToUtf8(View.Errors[0]);
            EXPECT_EQ(test::ReadWideFile(program + L".remove.txt"),
                      Shown(program) + L" -remove keep");
            EXPECT_TRUE(SameTextAscii(
                IncludeTrailingBackslash(test::ReadWideFile(program + L".folder.txt")),
                IncludeTrailingBackslash(TSystemPath::GetSystemPath())));
            EXPECT_FALSE(service.KeyExists());
        } else {
            EXPECT_EQ(View.Errors, std::vector<std::wstring>{NoProgram(c.ImagePath)});
            EXPECT_TRUE(service.KeyExists());
        }
    }
    SetEnvironmentVariableW(L"NrvTestUserDir", nullptr);
    DeleteFileW(planted.c_str());
    for (const wchar_t* file : {L"", L".remove.txt", L".folder.txt"})
        DeleteFileW((inWindows + file).c_str());
    RemoveDirectoryW(underWindows.c_str());
}

// A stopped service and a key with no service behind it are not stopped, but still removed;
// a service without a key is only reported.
TEST_F(ServiceStepTest, StoppedServicesKeysWithoutServiceAndMissingServices) {
    test::TTestService stopped;
    test::TTestService keyOnly({.Name = test::UniqueName(L"UtKeyOnly-"), .Register = false});
    const std::wstring missing = test::UniqueName(L"UtMissing-");

    RunSteps(Services(ServiceStep(stopped.Name(), L"-remove") +
                      ServiceStep(keyOnly.Name(), L"-remove AuthProxy") +
                      ServiceStep(missing, L"")));

    EXPECT_TRUE(View.Errors.empty()) << WideToUtf8(View.Errors[0]);
    EXPECT_TRUE(TracedInOrder(
        {L"Stopping service \"" + stopped.Name() + L"\"...", L"  service is not running.",
         L"Executing \"" + Shown(stopped.Exe()) + L" -remove\"...", L"  rc=0"}));
    EXPECT_FALSE(stopped.KeyExists());
    EXPECT_TRUE(TracedInOrder(
        {L"Stopping service \"" + keyOnly.Name() + L"\"...", L"  open service failed.",
         L"Executing \"" + Shown(keyOnly.Exe()) + L" -remove AuthProxy\"...", L"  rc=0",
         L"Service \"" + keyOnly.Name() + L"\" remove from registry"}));
    EXPECT_EQ(keyOnly.RemovalCommandLine(), Shown(keyOnly.Exe()) + L" -remove AuthProxy");
    EXPECT_FALSE(keyOnly.KeyExists());
    std::vector<std::wstring> lines = StepLines();
    auto last = std::find(lines.begin(), lines.end(), L"  " + missing);
    ASSERT_NE(last, lines.end());
    EXPECT_EQ(
        std::vector<std::wstring>(last + 1, lines.end()),
        (std::vector<std::wstring>{L"Service \"" + missing + L"\" not found", L"Uninstall done."}));
}

// A Name that is empty or leaves the service's own key must never take the services collection
// (or the key above it) with it.
TEST_F(ServiceStepTest, ANameOutsideAServicesOwnKeyDeletesNoKey) {
    const std::wstring services = L"SYSTEM\\CurrentControlSet\\Services";
    test::TTestService canary;
    // No removal program runs on the developers' workstation, so nothing but the registry
    // guard stands between these names and the keys.
    Workstation = AsciiLower(ComputerName());
    RunSteps(Services(ServiceStep(L"", L"-remove") + ServiceStep(L"\\", L"-remove")));
    EXPECT_TRUE(canary.KeyExists());
    TRegKey key;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, services.c_str(), 0, KEY_READ, key.Put()),
              ERROR_SUCCESS);
}

// On the developers' workstation the service is stopped and its key removed, but its program
// is not run.
TEST_F(ServiceStepTest, OnTheDeveloperWorkstationTheProgramIsNotRun) {
    test::TTestService service;
    service.Start();
    Workstation = AsciiLower(ComputerName());

    RunSteps(Services(ServiceStep(service.Name(), L"-remove")));

    EXPECT_TRUE(View.Errors.empty()) << WideToUtf8(View.Errors[0]);
    EXPECT_TRUE(TracedInOrder(
        {L"  service stopped.", L"Service \"" + service.Name() + L"\" remove from registry"}));
    for (const auto& line : StepLines())
        EXPECT_NE(line.rfind(L"Executing ", 0), 0u) << WideToUtf8(line);
    EXPECT_EQ(service.RemovalCommandLine(), L"");
    EXPECT_FALSE(service.KeyExists());
}

// Each failure shows its error line, keeps the key and lets the next element run.
TEST_F(ServiceStepTest, FailuresShowAnErrorLineAndKeepTheKey) {
    test::TTestService refusing({.Arguments = L"-service -nostop"});
    test::TTestService failing;
    test::TTestService noParam;
    test::TTestService gone;
    test::TTestService last;
    refusing.Start();
    const std::wstring goneExe = gone.Exe();
    ASSERT_TRUE(DeleteFileW(goneExe.c_str()));

    RunSteps(Services(ServiceStep(refusing.Name(), L"-remove") +
                      ServiceStep(failing.Name(), L"-remove keep rc=3") + L"<Service Name=\"" +
                      noParam.Name() + L"\"/>" + ServiceStep(gone.Name(), L"-remove") +
                      ServiceStep(last.Name(), L"-remove")));

    const std::wstring failingCommand = Shown(failing.Exe()) + L" -remove keep rc=3";
    ASSERT_EQ(View.Errors.size(), 4u);
    EXPECT_EQ(View.Errors[0], L"Uninstall Service failed (Stop Service \"" + refusing.Name() +
                                  L"\" failed (Service stop failed))");
    EXPECT_EQ(View.Errors[1],
              L"Uninstall Service failed (Command \"" + failingCommand + L"\" failed (rc=3))");
    EXPECT_EQ(View.Errors[2], L"Uninstall Service failed (Could not convert variant of type "
                              L"(Null) into type (OleStr))");
    EXPECT_EQ(View.Errors[3], NoProgram(gone.ImagePath()));
    EXPECT_EQ(refusing.RemovalCommandLine(), L"");
    for (const auto* service : {&refusing, &failing, &noParam, &gone})
        EXPECT_TRUE(service->KeyExists()) << WideToUtf8(service->Name());
    EXPECT_FALSE(last.KeyExists());
}

// A key that exists but cannot be read stops the step before anything is done; one that cannot
// be deleted (a subkey nobody may open) is only traced, after the service has removed itself.
TEST_F(ServiceStepTest, KeysThatCannotBeReadOrDeleted) {
    test::TTestService unreadable;
    test::TTestService undeletable({.Register = false});
    unreadable.Start();
    const std::wstring security = test::ServiceKey(undeletable.Name()) + L"\\Security";
    test::WriteRegString(HKEY_LOCAL_MACHINE, security, L"Security", L"x");
    TKeyAccess noRead(test::ServiceKey(unreadable.Name()), DELETE);
    TKeyAccess closed(security, 0);

    RunSteps(Services(ServiceStep(unreadable.Name(), L"-remove") +
                      ServiceStep(undeletable.Name(), L"-remove")));

    EXPECT_EQ(View.Errors, std::vector<std::wstring>{L"Uninstall Service failed (Unable to open "
                                                     L"registry key \"" +
                                                     test::ServiceKey(unreadable.Name()) + L"\")"});
    EXPECT_EQ(unreadable.State(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(unreadable.RemovalCommandLine(), L"");
    EXPECT_TRUE(TracedInOrder(
        {L"  rc=0", L"Unable to remove service \"" + undeletable.Name() + L"\" from registry"}));
    EXPECT_EQ(undeletable.RemovalCommandLine(), Shown(undeletable.Exe()) + L" -remove");
    EXPECT_TRUE(undeletable.KeyExists());
}

// A removal program that runs longer than 10 seconds fails the step and keeps the key.
TEST_F(ServiceStepTest, ARemovalThatTakesTooLongFailsAfterTenSeconds) {
    test::TTestService slow;
    RunSteps(Services(ServiceStep(slow.Name(), L"-remove keep sleep=15000")));
    EXPECT_EQ(View.Errors,
              std::vector<std::wstring>{L"Uninstall Service failed (LaunchAndWait timeout)"});
    EXPECT_TRUE(slow.KeyExists());
    // The program goes on running after the time limit; its folder goes once it has ended.
    for (int i = 0; i < 100 && !DeleteFileW(slow.Exe().c_str()); ++i)
        Sleep(100);
}

} // namespace
