// The program's switches, exit codes and single instance: the real uninstall.exe under Wine,
// started quietly or with its window, judged by its exit code, the windows it showed, the
// machine's state and its trace. The quiet variants carry a stand-in for the restart request
// that records it beside the program instead of restarting the session.
#include "core/Handle.h"
#include "core/Text.h"
#include "logging/LoggingFixtures.h"
#include "support/EnvSupport.h"
#include "support/KnownFolders.h"
#include "support/OddTree.h"
#include "support/RegistrySupport.h"
#include "support/ScriptSupport.h"
#include "support/TestSupport.h"
#include "InstalledProgram.h"
#include "ReportFile.h"
#include "SuiteInstallation.h"
#include "uninstall/app/AlreadyRunning.h"
#include "uninstall/app/CommandLine.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <sstream>

namespace {

struct TParseCase {
    const wchar_t* CommandLine;
    bool Trace, Quiet, ForceRestart, Preview;
};

// Any letter case, after "-" or "/"; nothing else is a switch.
const TParseCase ParseCases[] = {
    {L"uninstall.exe", false, false, false, false},
    {L"uninstall.exe /quiet", false, true, false, false},
    {L"uninstall.exe -quiet", false, true, false, false},
    {L"uninstall.exe /Quiet", false, true, false, false},
    {L"uninstall.exe -QUIET", false, true, false, false},
    {L"uninstall.exe /S", false, true, false, false},
    {L"uninstall.exe -s", false, true, false, false},
    {L"uninstall.exe quiet S trace", false, false, false, false},
    {L"uninstall.exe /quieter /SS //quiet /s- / -", false, false, false, false},
    {L"uninstall.exe \"/quiet\"", false, true, false, false},
    {L"\"C:\\Program Files\\Talveno\\uninstall.exe\" /TRACE -ForceRestart /preview", true, false,
     true, true},
    {L"\"C:\\Program Files\\Talveno\\uninstall.exe\"", false, false, false, false},
    {L"/quiet /preview", false, false, false, true}, // the first word is the program
};

TEST(SilentMode, SwitchesAreReadInAnyCaseAfterDashOrSlash) {
    for (const auto& c : ParseCases) {
        const TCommandLine line = ParseCommandLine(c.CommandLine);
        EXPECT_EQ(line.Trace, c.Trace) << WideToUtf8(c.CommandLine);
        EXPECT_EQ(line.Quiet, c.Quiet) << WideToUtf8(c.CommandLine);
        EXPECT_EQ(line.ForceRestart, c.ForceRestart) << WideToUtf8(c.CommandLine);
        EXPECT_EQ(line.Preview, c.Preview) << WideToUtf8(c.CommandLine);
    }
}

// "/log" and "/report" take their path after a colon or as the next word, as typed; "/log"
// turns the trace on. A switch is never a path: one that has none is an error of its own.
TEST(SilentMode, TheLogAndReportSwitchesTakeAPathThatIsNoSwitch) {
    struct TCase {
        const wchar_t* CommandLine;
        const wchar_t* Log;
        const wchar_t* Report;
        bool Quiet;
        const wchar_t* Error;
    };
    const TCase cases[] = {
        {L"uninstall.exe /log:C:\\Logs\\run.log", L"C:\\Logs\\run.log", L"", false, L""},
        {L"uninstall.exe -LOG:\"C:\\My Logs\\run.log\" /quiet", L"C:\\My Logs\\run.log", L"", true,
         L""},
        {L"uninstall.exe /quiet /log \"logs\\run.log\" /report r.json", L"logs\\run.log", L"r.json",
         true, L""},
        {L"uninstall.exe /logfile:x.log /log-x", L"", L"", false, L""},
        {L"uninstall.exe /log", L"", L"", false, L"The switch \"/log\" needs a path after it."},
        {L"uninstall.exe /log /quiet", L"", L"", true,
         L"The switch \"/log\" needs a path after it."},
        {L"uninstall.exe /report -quiet", L"", L"", true,
         L"The switch \"/report\" needs a path after it."},
        {L"uninstall.exe /log: /quiet", L"", L"", true,
         L"The switch \"/log:\" needs a path after its colon."},
        {L"uninstall.exe /report \"\" /quiet", L"", L"", true,
         L"The switch \"/report\" needs a path after it."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.CommandLine));
        const TCommandLine line = ParseCommandLine(c.CommandLine);
        EXPECT_EQ(line.LogPath, c.Log);
        EXPECT_EQ(line.ReportPath, c.Report);
        EXPECT_EQ(line.Trace, *c.Log != 0);
        EXPECT_EQ(line.Quiet, c.Quiet);
        EXPECT_EQ(line.Error, c.Error);
    }
}

std::string Driver(const std::wstring& Arguments) {
    auto result =
        test::Run(L"\"" + test::HelperPath(L"ui_driver.exe") + L"\" " + Arguments, {}, 180000);
    EXPECT_EQ(result.ExitCode, 0u) << WideToUtf8(Arguments) << ": " << result.Output;
    return result.Output;
}

struct TWindowsOf {
    DWORD Process;
    std::set<std::wstring>* Classes;
};

BOOL CALLBACK CollectVisible(HWND wnd, LPARAM p) {
    auto of = reinterpret_cast<TWindowsOf*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid == of->Process && IsWindowVisible(wnd)) {
        wchar_t cls[128] = {};
        GetClassNameW(wnd, cls, 128);
        of->Classes->insert(cls);
    }
    return TRUE;
}

// The classes of the visible top-level windows of a process.
std::set<std::wstring> VisibleWindows(DWORD Process) {
    std::set<std::wstring> classes;
    TWindowsOf of = {Process, &classes};
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&of));
    return classes;
}

struct TFinished {
    DWORD ExitCode = STILL_ACTIVE;
    // Every visible window the program had while it ran.
    std::set<std::wstring> Windows;
};

// Watches a started program until it ends; one that has not ended after a minute (a message
// box waiting for a user, say) is ended and reported as still active.
TFinished Watch(test::TRunningProcess& Program) {
    TFinished result;
    const DWORD pid = GetProcessId(Program.Handle());
    for (int waited = 0; waited < 60000; waited += 20) {
        for (const auto& cls : VisibleWindows(pid))
            result.Windows.insert(cls);
        if (WaitForSingleObject(Program.Handle(), 20) == WAIT_OBJECT_0)
            break;
    }
    GetExitCodeProcess(Program.Handle(), &result.ExitCode);
    return result;
}

// A message box of the process: its title and text, after pressing its OK button.
std::pair<std::string, std::string> AnswerMessageBox(DWORD Process) {
    for (int waited = 0; waited < 30000; waited += 100) {
        for (HWND box = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); box;
             box = FindWindowExW(nullptr, box, L"#32770", nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(box, &pid);
            if (pid != Process || !IsWindowVisible(box))
                continue;
            wchar_t title[256] = {}, text[1024] = {};
            GetWindowTextW(box, title, 256);
            GetDlgItemTextW(box, 0xFFFF, text, 1024);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return {WideToUtf8(title), WideToUtf8(text)};
        }
        Sleep(100);
    }
    return {};
}

// Each run gets an installation of its own: a folder named by the deployment settings, with a
// program folder and a log file to remove.
class SilentModeRun : public testing::Test {
protected:
    void SetUp() override { NewInstallation(); }
    void TearDown() override { Suite.reset(); }

    void NewInstallation() {
        Suite.reset();
        Suite = std::make_unique<TSuiteInstallation>();
        Make(L"LP\\bin\\app.exe");
        Make(L"LD\\a.log");
    }

    std::wstring Make(const std::wstring& Relative) { return Suite->Make(Relative); }
    bool Exists(const std::wstring& Relative) { return Suite->Exists(Relative); }
    // A running program holds a file of the program folder open.
    std::wstring HoldAFile() { return Suite->HoldAFile(L"LP\\locked\\held.dll"); }

    std::unique_ptr<TSuiteInstallation> Suite;
};

struct TQuietCase {
    const char* Name;
    const wchar_t* Variant;
    // A running program holds a file of the installation.
    bool Locked;
    const wchar_t* Switches;
    DWORD ExitCode;
    // The restart was asked for.
    bool Restart;
    // The held file waits for the restart.
    bool Scheduled;
    // The script ran and removed the program folder; else it was left whole.
    bool Ran;
    // A line the trace shows, on the debug monitor and, with "/trace", in the text file.
    const char* Traced;
    // Every user may change the program folder that holds the held file, as a suite's data
    // folder may let them.
    bool UsersMayChange = false;
};

const TQuietCase QuietCases[] = {
    {"clean run", L"e2e_silent.exe", false, L"/quiet /trace", 0, false, false, true,
     "Uninstallation done."},
    {"clean run, restart forced", L"e2e_silent.exe", false, L"/S /forcerestart /trace", 0, false,
     false, true, "Uninstallation done."},
    {"locked file", L"e2e_silent.exe", true, L"-quiet", 3010, false, true, true,
     "The computer must be restarted to complete the uninstallation."},
    {"locked file, restart forced", L"e2e_silent.exe", true, L"-s /ForceRestart /trace", 1641, true,
     true, true, "RebootOnNt..."},
    {"locked file in a folder users may change", L"e2e_silent.exe", true, L"/quiet /trace", 3010,
     false, true, true, "The computer must be restarted to complete the uninstallation.", true},
    {"preview of a locked file, restart forced", L"e2e_silent.exe", true,
     L"/quiet /preview /forcerestart /trace", 0, false, false, false, "Uninstallation done."},
    {"error line with a locked file, restart forced", L"e2e_silent_error_line.exe", true,
     L"/QUIET /forcerestart /trace", 1603, false, true, true, "The run showed 1 error line(s)."},
    {"script that ends the run", L"e2e_silent_bad_root.exe", false, L"/quiet /forcerestart /trace",
     1603, false, false, false,
     "LoadXml failed (Invalid Root name, expecting \"NorvaUninstall\".)"},
};

// Each run also writes its report, which says the exit code the program ended with, also when
// the restart was asked for (which ends the program) or the script ended the run.
TEST_F(SilentModeRun, ExitCodesRestartAndTraceWithoutAnyWindow) {
    for (const auto& c : QuietCases) {
        SCOPED_TRACE(c.Name);
        NewInstallation();
        std::wstring held = c.Locked ? HoldAFile() : L"";
        if (c.UsersMayChange)
            test::LetEveryoneChange(Suite->Path() + L"LP");
        TInstalledProgram program(c.Variant);
        test::TDebugMonitor monitor;
        ASSERT_TRUE(monitor.Ready());
        const std::wstring reportFile = program.Folder.Path() + L"report.json";
        test::TRunningProcess run(
            program.Command(std::wstring(c.Switches) + L" /report:\"" + reportFile + L"\""));
        const DWORD pid = GetProcessId(run.Handle());
        TFinished finished = Watch(run);

        const std::wstring logFile = program.LogFile();
        const std::string log = logFile.empty() ? "" : test::ReadTextFile(logFile);
        EXPECT_EQ(finished.ExitCode, c.ExitCode) << log;
        EXPECT_EQ(ReadReport(reportFile, std::string("quiet ") + c.Name)["exitCode"],
                  finished.ExitCode);
        EXPECT_TRUE(finished.Windows.empty()) << WideToUtf8(*finished.Windows.begin());
        EXPECT_EQ(test::FileExists(program.RestartRecord()), c.Restart);
        if (c.Restart) {
            EXPECT_EQ(test::ReadTextFile(program.RestartRecord()), "flags=2 reason=0");
        }
        if (c.Locked) {
            EXPECT_EQ(Pending(held), c.Scheduled) << WideToUtf8(held);
        } else {
            EXPECT_FALSE(PendingInside(Suite->Path()));
        }
        EXPECT_EQ(Exists(L"LP\\bin\\app.exe"), !c.Ran);

        EXPECT_NE(monitor.TextOf(pid).find(c.Traced), std::string::npos) << c.Traced;
        const bool traceFile = std::wstring(c.Switches).find(L"/trace") != std::wstring::npos;
        ASSERT_EQ(logFile.empty(), !traceFile);
        if (traceFile) {
            EXPECT_NE(log.find("||Trace system initialized.|"), std::string::npos);
            EXPECT_NE(log.find(std::string("|") + c.Traced + "|"), std::string::npos) << log;
        }
    }
}

// A held file the system refuses to take for the restart (its restart list cannot be written):
// nothing waits for the restart, so the quiet run does not end with 3010 and asks for no
// restart, even with /forcerestart. Each path the restart list refused has its error line,
// and the run ends with 1603; the report says so, and the item that handed the file over
// carries every one of its error lines.
TEST_F(SilentModeRun, AQuietRunWhoseLockedEntriesTheSystemRefusesNeedsNoRestart) {
    const std::wstring held = HoldAFile();
    TInstalledProgram program(L"e2e_silent.exe");
    const std::wstring reportFile = program.Folder.Path() + L"report.json";
    test::TRunResult run;
    {
        test::TKeyWriteDenied refused(HKEY_LOCAL_MACHINE,
                                      L"SYSTEM\\CurrentControlSet\\Control\\Session Manager");
        run = test::Run(
            program.Command(L"/quiet /forcerestart /trace /report:\"" + reportFile + L"\""), {},
            300000);
    }
    EXPECT_EQ(run.ExitCode, 1603u) << run.Output;
    EXPECT_FALSE(test::FileExists(program.RestartRecord())) << "a restart was asked for";
    EXPECT_FALSE(PendingInside(Suite->Path()));
    EXPECT_TRUE(test::FileExists(held));

    const std::string log = test::ReadTextFile(program.LogFile());
    EXPECT_NE(log.find("|The run showed "), std::string::npos) << log;
    json report = ReadReport(reportFile, "quiet run the restart list refused");
    EXPECT_EQ(report["exitCode"], 1603);
    const std::string lp = WideToUtf8(Suite->Path() + L"LP");
    bool found = false;
    for (const auto& item : report["items"]) {
        if (item["item"].get<std::string>().rfind(lp, 0) != 0)
            continue;
        found = true;
        EXPECT_EQ(item["action"], "failed") << item.dump(2);
        // The held file, its folder and the program folder: each refused, each with its line.
        std::set<std::wstring> refused;
        for (const auto& error : item["errors"]) {
            const std::string line = error;
            const size_t end = line.find("\" cannot be left to the restart (");
            ASSERT_TRUE(line.size() > 1 && line[0] == '"' && end != std::string::npos &&
                        line.back() == ')')
                << line;
            refused.insert(AsciiLower(Utf8ToWide(line.substr(1, end - 1))));
        }
        EXPECT_EQ(refused.size(), item["errors"].size()) << item.dump(2);
        for (const std::wstring& path :
             {held, Suite->Path() + L"LP\\locked", Suite->Path() + L"LP"})
            EXPECT_EQ(refused.count(AsciiLower(path)), 1u) << WideToUtf8(path) << "\n"
                                                           << item.dump(2);
    }
    EXPECT_TRUE(found) << report.dump(2);
}

// The prefix's own override for programs named uninstall.exe: a native version.dll before
// Wine's, for the life of the object. Wine takes its overrides from the registry (or from
// WINEDLLOVERRIDES where the wine process itself starts), never from the environment block one
// program hands another, so the registry is where a test sets it.
class TNativeVersionFirst {
public:
    TNativeVersionFirst() {
        FExisted = test::RegKeyExists(HKEY_CURRENT_USER, Key);
        test::WriteRegString(HKEY_CURRENT_USER, Key, L"version", L"native,builtin");
    }
    ~TNativeVersionFirst() {
        if (FExisted)
            RegDeleteKeyValueW(HKEY_CURRENT_USER, Key, L"version");
        else
            test::DeleteRegTree(HKEY_CURRENT_USER, Key);
    }
    TNativeVersionFirst(const TNativeVersionFirst&) = delete;
    TNativeVersionFirst& operator=(const TNativeVersionFirst&) = delete;

private:
    static constexpr const wchar_t* Key =
        L"Software\\Wine\\AppDefaults\\uninstall.exe\\DllOverrides";
    bool FExisted = false;
};

// A version.dll planted beside the program (a downloads folder), where the system prefers a
// native version.dll to its own (set in the prefix for programs named uninstall.exe):
// - a program of that name that loads version.dll by the ordinary search gets the planted one,
//   so the preference is in force;
// - with the search the program's entry sets (SetDefaultDllSearch) the same load takes the
//   system folder's, so the program's own late loads of libraries that are no known DLLs never
//   reach the planted one.
// What the real program itself loads cannot be shown here: Wine's own user32 imports
// version.dll, so under this preference any program that uses user32 gets the planted library
// from its loader before the program's first instruction. That the program imports no such
// library early is held by its import table (known-dlls.sh). The real program run beside the
// planted library, with Wine's default order, still reads its version through the system's.
TEST_F(SilentModeRun, ALibraryPlantedBesideTheProgramIsNotLoaded) {
    {
        TNativeVersionFirst nativeFirst;
        test::TTempFolder folder;
        const std::wstring probe = folder.Path() + L"uninstall.exe";
        const std::wstring planted = folder.Path() + L"version.dll";
        ASSERT_TRUE(CopyFileW(test::HelperPath(L"dll_probe.exe").c_str(), probe.c_str(), FALSE));
        ASSERT_TRUE(
            CopyFileW(test::HelperPath(L"planted_version.dll").c_str(), planted.c_str(), FALSE));

        const test::TRunResult ordinary = test::Run(L"\"" + probe + L"\" version.dll", {}, 120000);
        ASSERT_NE(ordinary.Output.find(WideToUtf8(planted)), std::string::npos)
            << "the native version.dll is not preferred: " << ordinary.Output;
        ASSERT_TRUE(DeleteFileW((planted + L".loaded").c_str()));

        const test::TRunResult limited =
            test::Run(L"\"" + probe + L"\" version.dll default-search", {}, 120000);
        EXPECT_EQ(limited.ExitCode, 0u) << limited.Output;
        EXPECT_NE(limited.Output.find("loaded " + WideToUtf8(test::WindowsFolder()) +
                                      "\\system32\\version.dll"),
                  std::string::npos)
            << limited.Output;
        EXPECT_FALSE(test::FileExists(planted + L".loaded")) << "the planted library ran";
    }

    TInstalledProgram program(L"e2e_silent.exe");
    const std::wstring planted = program.Folder.Path() + L"version.dll";
    ASSERT_TRUE(
        CopyFileW(test::HelperPath(L"planted_version.dll").c_str(), planted.c_str(), FALSE));
    auto result = test::Run(program.Command(L"/quiet /trace"), {}, 120000);
    EXPECT_EQ(result.ExitCode, 0u);
    EXPECT_FALSE(test::FileExists(planted + L".loaded")) << "the planted library ran";
    // The trace file's header names the program's version, read through the system's library.
    const std::string log = test::ReadTextFile(program.LogFile());
    EXPECT_NE(log.find("4.2.0.0"), std::string::npos) << log.substr(0, 400);
}

// A quiet preview writes what the run would do to the standard output it was given (here a
// pipe) and leaves the installation as it was.
TEST_F(SilentModeRun, AQuietPreviewSaysWhatWouldGoAndLeavesIt) {
    TInstalledProgram program(L"e2e_silent.exe");
    auto result = test::Run(program.Command(L"/quiet /preview"));
    EXPECT_EQ(result.ExitCode, 0u) << result.Output;
    const std::string folder = WideToUtf8(Suite->Path() + L"LP");
    const size_t start = result.Output.find("Folder \"" + folder + "\": 1 files (");
    ASSERT_NE(start, std::string::npos) << result.Output;
    const std::string line = result.Output.substr(start, result.Output.find('\r', start) - start);
    EXPECT_NE(line.find(" bytes) and 2 folders would be deleted"), std::string::npos) << line;
    EXPECT_TRUE(Exists(L"LP\\bin\\app.exe"));
    EXPECT_FALSE(PendingInside(Suite->Path()));
}

// While one uninstaller runs, another does nothing: quiet, it only traces why; with its window,
// it says so in a box. The first holds the mutex until it ends.
TEST_F(SilentModeRun, ASecondInstanceRefusesWhileTheFirstRuns) {
    TInstalledProgram program(L"e2e_silent.exe");
    auto first = std::make_unique<test::TRunningProcess>(program.Command(L"/trace"));
    Driver(L"wait");
    const std::wstring firstLog = program.LogFile();

    test::TRunningProcess quiet(program.Command(L"/quiet /trace"));
    TFinished finished = Watch(quiet);
    EXPECT_EQ(finished.ExitCode, 1618u);
    EXPECT_TRUE(finished.Windows.empty());
    EXPECT_TRUE(Exists(L"LP\\bin\\app.exe")) << "the second instance ran the script";

    // One box, and no word of the trace file the first one holds open.
    test::TRunningProcess windowed(program.Command(L"/trace"));
    auto [title, text] = AnswerMessageBox(GetProcessId(windowed.Handle()));
    EXPECT_EQ(title, "uninstall");
    EXPECT_EQ(text, "The uninstaller is already running.");
    EXPECT_EQ(Watch(windowed).ExitCode, 1618u);

    // The first one closes unused, its trace untouched by the others; the next one runs.
    Driver(L"close");
    EXPECT_EQ(Watch(*first).ExitCode, 0u);
    EXPECT_EQ(program.LogFile(), firstLog);
    EXPECT_EQ(test::ReadTextFile(firstLog).find("already running"), std::string::npos);
    first.reset();
    test::TRunningProcess next(program.Command(L"/S"));
    EXPECT_EQ(Watch(next).ExitCode, 0u);
    EXPECT_FALSE(Exists(L"LP\\bin\\app.exe"));
}

// The report says a run is under way from its start, replacing the last run's at once, so a
// run that is killed leaves a report without an end. A second instance steps aside with 1618
// and leaves that report alone; with a report of its own it says there why it did nothing.
TEST_F(SilentModeRun, TheReportSaysARunIsUnderWayAndASecondInstanceLeavesIt) {
    TInstalledProgram program(L"e2e_silent.exe");
    const std::wstring reportFile = program.Folder.Path() + L"report.json";
    test::WriteTextFile(reportFile, "{\"state\": \"ended\", \"exitCode\": 0}");
    test::TRunningProcess first(program.Command(L"/report \"" + reportFile + L"\""));
    Driver(L"wait");
    const json running = ReadReport(reportFile, "under-way");
    EXPECT_EQ(running["state"], "running") << running.dump(2);
    EXPECT_TRUE(running["ended"].is_null());
    EXPECT_TRUE(running["exitCode"].is_null());

    test::TRunningProcess second(program.Command(L"/quiet /report \"" + reportFile + L"\""));
    EXPECT_EQ(Watch(second).ExitCode, 1618u);
    EXPECT_EQ(json::parse(test::ReadTextFile(reportFile), nullptr, false), running)
        << "left as it was";
    const std::wstring ownReport = program.Folder.Path() + L"second.json";
    test::TRunningProcess third(program.Command(L"/quiet /report \"" + ownReport + L"\""));
    EXPECT_EQ(Watch(third).ExitCode, 1618u);
    const json stepped = ReadReport(ownReport, "second-instance");
    EXPECT_EQ(stepped["state"], "ended");
    EXPECT_EQ(stepped["exitCode"], 1618);

    // Killed halfway: the report still says the run is under way, not how the last one ended.
    TerminateProcess(first.Handle(), 1);
    WaitForSingleObject(first.Handle(), 30000);
    EXPECT_EQ(ReadReport(reportFile, "killed")["state"], "running");
    EXPECT_TRUE(Exists(L"LP\\bin\\app.exe"));
}

// Whoever holds the suite's mutex, another uninstaller among them, a quiet run steps aside and
// says why on the debug monitor.
TEST_F(SilentModeRun, TheMutexOfTheSuiteStopsAQuietRun) {
    TKernelHandle other(CreateMutexW(nullptr, FALSE, UninstallerMutexName));
    ASSERT_TRUE(other);
    TInstalledProgram program(L"e2e_silent.exe");
    test::TDebugMonitor monitor;
    ASSERT_TRUE(monitor.Ready());
    test::TRunningProcess run(program.Command(L"/quiet /trace"));
    const DWORD pid = GetProcessId(run.Handle());
    TFinished finished = Watch(run);
    EXPECT_EQ(finished.ExitCode, 1618u);
    EXPECT_TRUE(finished.Windows.empty());
    EXPECT_TRUE(Exists(L"LP\\bin\\app.exe"));
    EXPECT_EQ(program.LogFile(), L"");
    const std::string said = monitor.TextOf(pid);
    EXPECT_NE(said.find("The uninstaller is already running."), std::string::npos) << said;
    EXPECT_EQ(said.find("RunSilently()"), std::string::npos) << said;
}

// Any user can make an object of the mutex's name first, one the administrator may not even
// open, to keep every uninstall from running: such an object is passed over, with a warning.
TEST_F(SilentModeRun, AMutexAnotherAccountMadeFirstIsPassedOver) {
    PSECURITY_DESCRIPTOR closed = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P", SDDL_REVISION_1,
                                                                     &closed, nullptr));
    SECURITY_ATTRIBUTES security{sizeof security, closed, FALSE};
    TKernelHandle squatter(CreateMutexW(&security, FALSE, UninstallerMutexName));
    LocalFree(closed);
    ASSERT_TRUE(squatter);
    TInstalledProgram program(L"e2e_silent.exe");
    test::TRunningProcess run(program.Command(L"/quiet /trace"));
    TFinished finished = Watch(run);
    const std::string log = test::ReadTextFile(program.LogFile());
    EXPECT_EQ(finished.ExitCode, 0u) << log;
    EXPECT_FALSE(Exists(L"LP\\bin\\app.exe"));
    EXPECT_NE(log.find("Another account holds the name of the uninstaller's mutex; it is passed "
                       "over."),
              std::string::npos)
        << log;
}

// "/log" writes the trace to the file it names, making its folders; a file that cannot be
// written (read-only, on a drive that does not exist, or one another program holds open, whose
// first line fails) ends the run with 1603 before anything is removed, and standard error says
// why.
TEST_F(SilentModeRun, TheLogGoesWhereTheSwitchSaysOrNothingRuns) {
    TInstalledProgram program(L"e2e_silent.exe");
    test::TTempFolder elsewhere;
    const std::wstring log = Suite->Path() + L"logs\\deep\\run.log";
    test::TRunResult run = test::Run(program.Command(L"/quiet /log:\"" + log + L"\""), {}, 300000);
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    ASSERT_TRUE(test::FileExists(log));
    EXPECT_NE(test::ReadTextFile(log).find("|Trace system initialized.|"), std::string::npos);
    EXPECT_NE(test::ReadTextFile(log).find("|Uninstallation done.|"), std::string::npos);
    EXPECT_EQ(program.LogFile(), L"") << "a trace file beside the program too";
    EXPECT_FALSE(Exists(L"LP\\bin\\app.exe"));

    const std::wstring readOnly = elsewhere.Path() + L"readonly.log";
    test::WriteTextFile(readOnly, "kept\r\n");
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    // A plain file a running program holds open without sharing: its path is fine, its first
    // line is not written.
    const std::wstring held = elsewhere.Path() + L"held.log";
    test::WriteTextFile(held, "held\r\n");
    test::TRunningProcess holder(L"\"" + test::HelperPath(L"procs_child.exe") + L"\" hold \"" +
                                 held + L"\"");
    ASSERT_TRUE(test::WaitForFile(held + L".held", 10000));
    for (const std::wstring& bad : {readOnly, std::wstring(L"Q:\\logs\\run.log"), held}) {
        SCOPED_TRACE(WideToUtf8(bad));
        NewInstallation();
        run = test::Run(program.Command(L"/quiet /log \"" + bad + L"\""), {}, 300000);
        EXPECT_EQ(run.ExitCode, 1603u) << run.Output;
        EXPECT_NE(run.Output.find("The log file \"" + WideToUtf8(bad) + "\" cannot be written ("),
                  std::string::npos)
            << run.Output;
        EXPECT_NE(run.Output.find("Nothing was removed."), std::string::npos) << run.Output;
        EXPECT_TRUE(Exists(L"LP\\bin\\app.exe"));
    }
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::ReadTextFile(readOnly), "kept\r\n");

    // A switch is never the log's path: "/log /quiet" is a log without a path, and a quiet run
    // that removes nothing.
    NewInstallation();
    test::TRunningProcess noPath(program.Command(L"/log /quiet"));
    TFinished finished = Watch(noPath);
    EXPECT_EQ(finished.ExitCode, 1603u);
    EXPECT_TRUE(finished.Windows.empty());
    run = test::Run(program.Command(L"/quiet /log"), {}, 300000);
    EXPECT_EQ(run.ExitCode, 1603u) << run.Output;
    EXPECT_NE(run.Output.find("The switch \"/log\" needs a path after it. Nothing was removed."),
              std::string::npos)
        << run.Output;
    EXPECT_TRUE(Exists(L"LP\\bin\\app.exe"));
}

// The trace file beside the program (/trace without /log) is a help, not part of the job: one
// whose first line cannot be written (a folder holds its name, today's and tomorrow's) is
// warned of on the debug monitor, and the run goes on.
TEST_F(SilentModeRun, ATraceFileBesideTheProgramThatCannotBeWrittenOnlyWarns) {
    TInstalledProgram program(L"e2e_silent.exe");
    SYSTEMTIME day{};
    GetLocalTime(&day);
    for (int i = 0; i < 2; ++i) {
        wchar_t date[16];
        swprintf(date, 16, L"%04u%02u%02u", day.wYear, day.wMonth, day.wDay);
        const std::wstring name = program.Folder.Path() + L"uninstall.exe_" + date + L".log";
        ASSERT_TRUE(CreateDirectoryW(name.c_str(), nullptr)) << WideToUtf8(name);
        FILETIME time{};
        SystemTimeToFileTime(&day, &time);
        ULARGE_INTEGER ticks{{time.dwLowDateTime, time.dwHighDateTime}};
        ticks.QuadPart += 24ull * 3600 * 10000000;
        time = {ticks.LowPart, ticks.HighPart};
        FileTimeToSystemTime(&time, &day);
    }
    test::TDebugMonitor monitor;
    ASSERT_TRUE(monitor.Ready());
    const test::TRunResult run = test::Run(program.Command(L"/quiet /trace"), {}, 300000);
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_FALSE(Exists(L"LP\\bin\\app.exe")) << "the run stopped";
    bool warned = false;
    for (const auto& entry : monitor.Entries())
        warned =
            warned || entry.Text.find("The trace file cannot be written (") != std::string::npos;
    EXPECT_TRUE(warned);
}

// The log, the report and the trace beside the program are written as administrator: never
// where another user decides what the path names. A log or report whose path runs through a
// link (the link fixture of the test run: C:\\output-link-fixture\\Deploy, a folder link) or a
// folder users can change ends the run with 1603 before anything is removed; the trace beside
// a program in such a folder is not written, with a warning on the debug monitor, and the run
// goes on.
TEST_F(SilentModeRun, NoOutputFileGoesWhereOtherUsersDecide) {
    TInstalledProgram program(L"e2e_silent.exe");
    const std::wstring fixture = L"C:\\output-link-fixture\\";
    ASSERT_NE(GetFileAttributesW((fixture + L"Deploy").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the link fixture is missing";
    test::TTempFolder open;
    test::LetEveryoneChange(open.Path());
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"/log:", fixture + L"Deploy\\Logs\\run.log"},
        {L"/report:", fixture + L"Deploy\\run.json"},
        {L"/log:", open.Path() + L"run.log"},
        {L"/report:", open.Path() + L"run.json"},
    };
    for (const auto& [option, path] : cases) {
        SCOPED_TRACE(WideToUtf8(option + path));
        NewInstallation();
        test::TRunResult run =
            test::Run(program.Command(L"/quiet " + option + L"\"" + path + L"\""), {}, 300000);
        EXPECT_EQ(run.ExitCode, 1603u) << run.Output;
        EXPECT_NE(run.Output.find("cannot be written (other users can change where it goes: "),
                  std::string::npos)
            << run.Output;
        EXPECT_TRUE(Exists(L"LP\\bin\\app.exe"));
        EXPECT_FALSE(test::FileExists(path));
    }
    EXPECT_FALSE(test::FileExists(fixture + L"system\\Logs")) << "a folder made through the link";

    // The program in a folder users can change: it runs, without its trace file there.
    NewInstallation();
    test::LetEveryoneChange(program.Folder.Path());
    test::TDebugMonitor monitor;
    ASSERT_TRUE(monitor.Ready());
    test::TRunningProcess run(program.Command(L"/quiet /trace"));
    const DWORD pid = GetProcessId(run.Handle());
    EXPECT_EQ(Watch(run).ExitCode, 0u);
    EXPECT_FALSE(Exists(L"LP\\bin\\app.exe"));
    EXPECT_EQ(program.LogFile(), L"");
    const std::string said = monitor.TextOf(pid);
    EXPECT_NE(said.find("is not written: other users can change where it goes ("),
              std::string::npos)
        << said;
}

// The real program on a tree a suite leaves after years: names the Win32 layer rewrites or
// takes for devices, other scripts, folders nested past 1,000 characters, and a program holding
// "a." open. Everything else goes; "a." waits for the restart under its own name, with the
// folders above it, and the report names exactly what the restart list holds.
TEST_F(SilentModeRun, OddNamesAndLongPathsGoAndAHeldOneWaitsUnderItsOwnName) {
    const std::wstring odd = Suite->Path() + L"LP\\odd";
    test::TOddTree tree(odd);
    const std::wstring held = odd + L"\\a.";
    test::TRunningProcess holder(L"\"" + test::HelperPath(L"procs_child.exe") + L"\" hold \"" +
                                 test::Long(held) + L"\"");
    ASSERT_TRUE(test::WaitForFile(test::Long(held) + L".held", 20000));
    TInstalledProgram program(L"e2e_silent.exe");
    const std::wstring reportFile = program.Folder.Path() + L"report.json";
    const size_t before = test::PendingDeletions().size();

    test::TRunningProcess run(program.Command(L"/quiet /report:\"" + reportFile + L"\""));
    EXPECT_EQ(Watch(run).ExitCode, 3010u);

    EXPECT_EQ(test::TOddTree::Left(odd, false), std::vector<std::wstring>{held});
    auto all = test::PendingDeletions();
    const std::vector<std::wstring> added(all.begin() + std::min(before, all.size()), all.end());
    EXPECT_TRUE(Pending(held));
    EXPECT_FALSE(Pending(odd + L"\\a")) << "another name than the entry's";
    const json report = ReadReport(reportFile, "odd names");
    // A folder as handed over, with or without its closing backslash.
    auto folderAsIs = [](std::string text) {
        if (text.size() > 3 && text.back() == '\\')
            text.pop_back();
        return text;
    };
    std::set<std::string> scheduled, restart;
    for (const auto& item : report["items"])
        for (const auto& path : item["scheduled"])
            scheduled.insert(folderAsIs(path));
    for (const auto& path : added)
        restart.insert(folderAsIs(WideToUtf8(path)));
    EXPECT_EQ(scheduled, restart) << "the report and the restart list agree entry by entry";
}

// The window's run: exit code 1603 when it ended by an error, shown in the error box and
// written in the report when the window closes.
TEST_F(SilentModeRun, TheWindowEndsWith1603AfterARunThatFailed) {
    TInstalledProgram program(L"e2e_silent_bad_root.exe");
    const std::wstring reportFile = program.Folder.Path() + L"report.json";
    test::TRunningProcess run(program.Command(L"/report \"" + reportFile + L"\""));
    Driver(L"wait");
    Driver(L"click 1001");
    auto [title, text] = AnswerMessageBox(GetProcessId(run.Handle()));
    EXPECT_EQ(text, "LoadXml failed (Invalid Root name, expecting \"NorvaUninstall\".)");
    Driver(L"wait-enabled 2");
    Driver(L"close");
    EXPECT_EQ(Watch(run).ExitCode, 1603u);
    json report = ReadReport(reportFile, "window run that failed");
    EXPECT_EQ(report["exitCode"], 1603);
    EXPECT_EQ(report["error"], "LoadXml failed (Invalid Root name, expecting \"NorvaUninstall\".)");
}

// A preview in the window schedules nothing and offers no restart, whatever is in use.
TEST_F(SilentModeRun, ThePreviewWindowOffersNoRestart) {
    std::wstring held = HoldAFile();
    TInstalledProgram program(L"e2e_silent.exe");
    test::TRunningProcess run(program.Command(L"/preview"));
    Driver(L"wait");
    Driver(L"click 1001");
    Driver(L"wait-enabled 2");
    std::string state = Driver(L"state");
    std::istringstream lines(state);
    std::string line, restartBox;
    while (std::getline(lines, line))
        if (line.rfind("1024\t", 0) == 0)
            restartBox = line;
    // id, class, visible, ...: the box stays hidden.
    EXPECT_EQ(restartBox.substr(0, restartBox.find('\t', restartBox.find('\t') + 1) + 2),
              "1024\tButton\t0")
        << state;
    Driver(L"close");
    EXPECT_EQ(Watch(run).ExitCode, 0u);
    EXPECT_TRUE(test::FileExists(held));
    EXPECT_FALSE(Pending(held));
    EXPECT_FALSE(test::FileExists(program.RestartRecord()));
}

} // namespace
