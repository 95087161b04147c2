// The Share and Command steps with a stand-in net.exe in the system folder (Wine's own does not
// manage shares) and decoys where the platform's own search would look first.
#include "core/Text.h"
#include "support/EnvSupport.h"
#include "sys/files/SystemPath.h"
#include "sys/processes/ProcessLookup.h"
#include "uninstall/steps/StepFixture.h"

#include <chrono>

namespace {

const wchar_t* const Environment =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

bool SameText(const std::wstring& A, const std::wstring& B) {
    return CompareStringOrdinal(A.c_str(), -1, B.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring ProgramFolder() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.rfind(L'\\') + 1);
}

// Where the system folder's net.exe really is: a 32-bit program under WoW64 starts it from the
// 32-bit system folder and sees itself there.
std::wstring RealSystemNet() {
    wchar_t folder[MAX_PATH] = {};
    if (GetSystemWow64DirectoryW(folder, MAX_PATH) == 0)
        GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\net.exe";
}

struct TStarted {
    std::wstring Program;
    std::wstring CmdLine;
};

class CommandStepTest : public StepTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryW(Current.c_str(), nullptr));
        // The system's own net.exe waits beside the stand-in and comes back afterwards.
        MoveFileExW(SystemNet.c_str(), Backup.c_str(), MOVEFILE_REPLACE_EXISTING);
        for (const std::wstring& place : {SystemNet, Decoy, Current + L"net.exe"})
            ASSERT_TRUE(CopyFileW(Standin.c_str(), place.c_str(), FALSE)) << WideToUtf8(place);
        GetCurrentDirectoryW(MAX_PATH, FBefore);
        ASSERT_TRUE(SetCurrentDirectoryW(Current.c_str()));
        SetEnvironmentVariableW(L"STANDIN_RECORD", Record.c_str());
        SetExit(0);
    }
    void TearDown() override {
        SetCurrentDirectoryW(FBefore);
        SetEnvironmentVariableW(L"STANDIN_RECORD", nullptr);
        SetEnvironmentVariableW(L"STANDIN_EXIT", nullptr);
        SetEnvironmentVariableW(L"STANDIN_SLEEP", nullptr);
        DeleteFileW(Decoy.c_str());
        DeleteFileW(SystemNet.c_str());
        MoveFileExW(Backup.c_str(), SystemNet.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    static void SetExit(int Code) {
        SetEnvironmentVariableW(L"STANDIN_EXIT", std::to_wstring(Code).c_str());
    }
    // Every start of a stand-in or a decoy since the last call, in order.
    std::vector<TStarted> Started() {
        std::vector<TStarted> started;
        std::string bytes = test::FileExists(Record) ? test::ReadTextFile(Record) : "";
        DeleteFileW(Record.c_str());
        std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()),
                          bytes.size() / sizeof(wchar_t));
        for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos;
             start = end + 1) {
            std::wstring line = text.substr(start, end - start);
            size_t bar = line.find(L'|');
            started.push_back({line.substr(0, bar), line.substr(bar + 1)});
        }
        return started;
    }
    size_t Journaled(const std::wstring& Entry) const {
        return std::count(View.Journal.begin(), View.Journal.end(), Entry);
    }

    const std::wstring Standin = test::HelperPath(L"command_standin.exe");
    const std::wstring SystemNet = TSystemPath::GetSystemPath() + L"net.exe";
    const std::wstring Backup = TSystemPath::GetSystemPath() + L"net.exe.tests";
    const std::wstring Decoy = ProgramFolder() + L"net.exe";
    const std::wstring Current = Root.Path() + L"current\\";
    const std::wstring Record = Root.Path() + L"started.txt";

private:
    wchar_t FBefore[MAX_PATH] = {};
};

TEST_F(CommandStepTest, AShareIsDeletedWithTheSystemsNetAndCodesZeroAndTwoAreSuccess) {
    const struct {
        std::wstring Name;
        int Code;
        std::wstring Error;
    } cases[] = {
        {L"VelxPkg", 0, L""},
        // No such share.
        {L"VelxShr", 2, L""},
        {L"VelxPkg", 5, L"Uninstall Share (Delete share \"VelxPkg\" failed)"},
        {L"VelxPkg", 1, L"Uninstall Share (Delete share \"VelxPkg\" failed)"},
        // Inserted as written: net takes "My" for the share and fails.
        {L"My Share", 1, L"Uninstall Share (Delete share \"My Share\" failed)"},
    };
    for (const auto& c : cases) {
        SetExit(c.Code);
        RunSteps(L"<Shares><Share Name=\"" + c.Name + L"\"/></Shares>");
        std::vector<TStarted> started = Started();
        ASSERT_EQ(started.size(), 1u) << WideToUtf8(c.Name) << " " << c.Code;
        EXPECT_TRUE(SameText(started[0].Program, RealSystemNet()))
            << WideToUtf8(started[0].Program);
        EXPECT_EQ(started[0].CmdLine, L"NET SHARE " + c.Name + L" /DELETE");
        EXPECT_EQ(View.Errors, c.Error.empty() ? std::vector<std::wstring>{}
                                               : std::vector<std::wstring>{c.Error})
            << c.Code;
        EXPECT_EQ(Journaled(L"2:    " + c.Name), 1u);
        View.Journal.clear();
        View.Errors.clear();
    }
    EXPECT_TRUE(Traced(L"TMainForm|UninstallShare()"));
}

// A net that does not come back within 10 seconds is given up with an error line.
TEST_F(CommandStepTest, AShareCommandThatHangsIsGivenUpAfterTenSeconds) {
    SetEnvironmentVariableW(L"STANDIN_SLEEP", L"60000");
    const auto start = std::chrono::steady_clock::now();
    RunSteps(L"<Shares><Share Name=\"VelxPkg\"/></Shares>");
    const auto took = std::chrono::steady_clock::now() - start;
    // The stand-ins still sleep; they go before the system's net comes back.
    TKernelHandle hanging;
    while (FindProcess(L"net.exe", hanging)) {
        Process32Stop(hanging.Get());
        EXPECT_TRUE(WaitForProcessEnd(hanging.Get(), 5000));
    }
    EXPECT_EQ(View.Errors, std::vector<std::wstring>{L"Uninstall Share (LaunchAndWait timeout)"});
    EXPECT_GE(took, std::chrono::seconds(10));
    EXPECT_LT(took, std::chrono::seconds(30));
}

// Without net.exe in the system folder the share cannot be deleted: the decoys beside the
// program and in the current folder are never the fallback.
TEST_F(CommandStepTest, WithoutTheSystemsNetNoShareCommandRuns) {
    ASSERT_TRUE(DeleteFileW(SystemNet.c_str()));
    RunSteps(L"<Shares><Share Name=\"VelxPkg\"/></Shares>");
    EXPECT_TRUE(Started().empty());
    ASSERT_EQ(View.Errors.size(), 1u);
    EXPECT_EQ(View.Errors[0].rfind(
                  L"Uninstall Share (LaunchAndWait \"NET SHARE VelxPkg /DELETE\" failed (", 0),
              0u)
        << WideToUtf8(View.Errors[0]);
}

TEST_F(CommandStepTest, ACommandsExitCodeIsTracedNotJudged) {
    SetExit(7);
    const std::wstring child = test::HelperPath(L"procs_child.exe");
    RunSteps(L"<Commands><Command>net use x</Command><Command>\"" + child +
             L"\" exit 3</Command><Command>NET view</Command></Commands>");
    EXPECT_TRUE(Traced(L"TMainForm|Cmd=\"net use x\"; rc=7"));
    EXPECT_TRUE(Traced(L"TMainForm|Cmd=\"\"" + child + L"\" exit 3\"; rc=3"));
    EXPECT_TRUE(Traced(L"TMainForm|Cmd=\"NET view\"; rc=7"));
    EXPECT_TRUE(View.Errors.empty());
    EXPECT_EQ(Journaled(L"1:Executing command..."), 3u);
    std::vector<TStarted> started = Started();
    ASSERT_EQ(started.size(), 2u);
    for (const TStarted& s : started)
        EXPECT_TRUE(SameText(s.Program, RealSystemNet())) << WideToUtf8(s.Program);
    EXPECT_EQ(started[0].CmdLine, L"net use x");
}

// A command that cannot start ends the run: nothing after it runs.
TEST_F(CommandStepTest, ACommandThatCannotStartEndsTheRun) {
    try {
        RunSteps(L"<Commands><Command>no-such-program-4711 x</Command><Command>net use"
                 L"</Command></Commands><Shares><Share Name=\"VelxPkg\"/></Shares>");
        ADD_FAILURE() << "the run went on";
    } catch (const std::exception& e) {
        EXPECT_EQ(
            ExceptionMessage(e).rfind(L"LaunchAndWait \"no-such-program-4711 x\" failed (", 0), 0u)
            << WideToUtf8(ExceptionMessage(e));
    }
    EXPECT_TRUE(Started().empty());
}

// After the system folder, the absolute folders of the machine's search path, in order; a
// relative entry would name the current folder and is passed over.
TEST_F(CommandStepTest, BareNamesAreFoundInTheMachinesSearchPath) {
    TRegKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, Environment, 0, KEY_ALL_ACCESS, key.Put()),
              ERROR_SUCCESS);
    DWORD type = REG_NONE, size = 0;
    ASSERT_EQ(RegQueryValueExW(key.Get(), L"Path", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    std::string saved(size, '\0');
    RegQueryValueExW(key.Get(), L"Path", nullptr, &type, reinterpret_cast<BYTE*>(saved.data()),
                     &size);

    const std::wstring first = Make(L"first\\"), second = Make(L"second\\");
    for (const std::wstring& place :
         {first + L"suite-tool.exe", second + L"suite-tool.exe", Current + L"suite-tool.exe"})
        CopyFileW(Standin.c_str(), place.c_str(), FALSE);
    std::wstring path = L".;current;" + first.substr(0, first.size() - 1) + L";" + second;
    RegSetValueExW(key.Get(), L"Path", 0, REG_EXPAND_SZ,
                   reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));

    RunSteps(L"<Commands><Command>suite-tool run</Command></Commands>");
    RegSetValueExW(key.Get(), L"Path", 0, type, reinterpret_cast<const BYTE*>(saved.data()),
                   static_cast<DWORD>(saved.size()));

    std::vector<TStarted> started = Started();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_TRUE(SameText(started[0].Program, first + L"suite-tool.exe"))
        << WideToUtf8(started[0].Program);
    EXPECT_EQ(started[0].CmdLine, L"suite-tool run");
}

} // namespace
