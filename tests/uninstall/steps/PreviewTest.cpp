// A preview run of every step family against real state of the Wine prefix: the report names
// what each step would act on, and afterwards files, keys, processes and services are as they
// were.
#include "core/Text.h"
#include "support/EnvSupport.h"
#include "support/ProcessSupport.h"
#include "support/RegistrySupport.h"
#include "support/ServiceSupport.h"
#include "support/SettingReceiver.h"
#include "sys/com/ShortcutLink.h"
#include "sys/files/UserControl.h"
#include "uninstall/steps/StepFixture.h"

#include <map>

namespace {

// A folder tree as it stands: every entry below Path with its size and attributes.
std::map<std::wstring, std::pair<ULONGLONG, DWORD>> TreeState(const std::wstring& Path) {
    std::map<std::wstring, std::pair<ULONGLONG, DWORD>> state;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((Path + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return state;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring full = Path + L"\\" + name;
        state[full] = {(static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                       data.dwFileAttributes};
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            state.merge(TreeState(full));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return state;
}

// A registry tree as it stands: every key below Path and its values' names and bytes.
std::map<std::wstring, std::string> KeyState(HKEY Root, const std::wstring& Path) {
    std::map<std::wstring, std::string> state;
    TRegKey key;
    if (RegOpenKeyExW(Root, Path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return state;
    state[Path] = "";
    DWORD maxName = 0, maxData = 0;
    RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     &maxName, &maxData, nullptr, nullptr);
    std::vector<wchar_t> name(maxName + 1);
    std::vector<BYTE> data(maxData + 1);
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = maxName + 1;
        DWORD dataSize = maxData + 1;
        DWORD type = 0;
        if (RegEnumValueW(key.Get(), i, name.data(), &nameSize, nullptr, &type, data.data(),
                          &dataSize) != ERROR_SUCCESS)
            break;
        state[Path + L"|" + std::wstring(name.data(), nameSize)] =
            std::to_string(type) + ":" +
            std::string(reinterpret_cast<const char*>(data.data()), dataSize);
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameSize = 256;
        if (RegEnumKeyExW(key.Get(), i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        state.merge(KeyState(Root, Path + L"\\" + name));
    }
    return state;
}

void SetString(HKEY Root, const std::wstring& Path, const std::wstring& Name,
               const std::wstring& Value) {
    test::CreateRegKey(Root, Path);
    TRegKey key;
    ASSERT_EQ(RegOpenKeyExW(Root, Path.c_str(), 0, KEY_SET_VALUE, key.Put()), ERROR_SUCCESS);
    RegSetValueExW(key.Get(), Name.empty() ? nullptr : Name.c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(Value.c_str()),
                   static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t)));
}

// A ProgID and the class key it names, removed when the object goes.
struct TClassesKeys {
    ~TClassesKeys() {
        test::DeleteRegTreeSafely(HKEY_CLASSES_ROOT, ProgId);
        test::DeleteRegTreeSafely(HKEY_CLASSES_ROOT, L"CLSID\\" + Clsid);
    }
    const std::wstring ProgId = test::UniqueName(L"NrvTest.");
    const std::wstring Clsid = test::UniqueName(L"{") + L"}";
};

// A value as stored, its type and bytes, written back when the object goes.
class TStoredValue {
public:
    TStoredValue(HKEY Root, const std::wstring& Path, const std::wstring& Name)
        : FRoot(Root), FPath(Path), FName(Name) {
        TRegKey key;
        DWORD size = 0;
        if (RegOpenKeyExW(Root, Path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS ||
            RegQueryValueExW(key.Get(), Name.c_str(), nullptr, &FType, nullptr, &size) !=
                ERROR_SUCCESS)
            return;
        FBytes.resize(size);
        FExists = RegQueryValueExW(key.Get(), Name.c_str(), nullptr, &FType, FBytes.data(),
                                   &size) == ERROR_SUCCESS;
    }
    ~TStoredValue() {
        TRegKey key;
        RegOpenKeyExW(FRoot, FPath.c_str(), 0, KEY_SET_VALUE, key.Put());
        if (FExists)
            RegSetValueExW(key.Get(), FName.c_str(), 0, FType, FBytes.data(),
                           static_cast<DWORD>(FBytes.size()));
        else
            RegDeleteValueW(key.Get(), FName.c_str());
    }
    TStoredValue(const TStoredValue&) = delete;
    TStoredValue& operator=(const TStoredValue&) = delete;

private:
    HKEY FRoot;
    std::wstring FPath, FName;
    bool FExists = false;
    DWORD FType = REG_NONE;
    std::vector<BYTE> FBytes;
};

class PreviewTest : public StepTest {
protected:
    PreviewTest() { Preview = true; }

    // The report of the run, in order: the trace lines a preview writes.
    std::vector<std::wstring> Reported() const {
        std::vector<std::wstring> lines;
        const std::wstring prefix = L"TMainForm|Preview: ";
        for (const auto& line : Trace.Lines)
            if (line.rfind(prefix, 0) == 0)
                lines.push_back(line.substr(prefix.size()));
        return lines;
    }
    // Every one of Expected is a line of the report.
    void ExpectReported(const std::vector<std::wstring>& Expected) const {
        const std::vector<std::wstring> lines = Reported();
        for (const auto& line : Expected)
            EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end())
                << "not reported: " << WideToUtf8(line) << "\nreport:\n"
                << WideToUtf8(Joined(lines));
    }
    static std::wstring Joined(const std::vector<std::wstring>& Lines) {
        std::wstring text;
        for (const auto& line : Lines)
            text += line + L"\n";
        return text;
    }
};

// Files and folders: the counts and sizes the Folder and File steps would delete, what the
// exclusions keep, what another program holds, what is not there and what the guard refuses.
// Not one entry changes, and the locked list stays empty.
TEST_F(PreviewTest, FolderAndFileStepsCountWhatTheyWouldDeleteAndChangeNothing) {
    const std::wstring app = Root.Path() + L"app";
    test::WriteTextFile(Make(L"app\\a.txt"), "abc");
    test::WriteTextFile(Make(L"app\\sub\\deeper\\b.bin"), "0123456789");
    Make(L"app\\Keep\\k.txt");
    Make(L"app\\ro.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    const std::wstring held = Make(L"app\\held.dll");
    test::WriteTextFile(Make(L"logs\\one.log"), "12345");
    Make(L"logs\\two.log");
    Make(L"logs\\note.txt");
    test::TRunningProcess holder(L"\"" + test::HelperPath(L"procs_child.exe") + L"\" hold \"" +
                                 held + L"\"");
    ASSERT_TRUE(test::WaitForFile(held + L".held", 20000));
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const auto before = TreeState(Root.Path() + L".");
    const auto windowsBefore = TreeState(windows);
    const ULONGLONG bytes = 3 + 10 + 1 + before.at(Root.Path() + L".\\app\\held.dll.held").first;

    RunSteps(L"<Folders><Folder Path=\"" + app + L"\" Exclude=\"*\\Keep\\*\"/>" +
             L"<Folder Path=\"" + Root.Path() + L"missing\"/>" + L"<Folder Path=\"" + windows +
             L"\"/></Folders>" + L"<Files><File Path=\"" + Root.Path() +
             L"logs\" Mask=\"*.log\" Recursive=\"False\"/></Files>");

    // held.dll cannot be opened at all; the files counted are a.txt, b.bin, ro.txt and the
    // holder's held.dll.held marker, which lies beside it.
    ExpectReported({
        L"Folder \"" + app + L"\\Keep\\\" is excluded and stays",
        L"\"" + app + L"\\held.dll\" cannot be opened: it would be deleted at the next restart",
        L"Folder \"" + app + L"\": 4 files (" + std::to_wstring(bytes) +
            L" bytes) and 2 folders would be deleted",
        L"Folder \"" + Root.Path() + L"missing\" is left alone (not found)",
        L"File \"" + Root.Path() + L"logs\\one.log\" would be deleted (5 bytes)",
        L"File \"" + Root.Path() + L"logs\\two.log\" would be deleted (1 bytes)",
        L"Files \"" + Root.Path() + L"logs\\*.log\": 2 files (6 bytes) would be deleted",
    });
    ASSERT_EQ(View.Errors.size(), 1u);
    EXPECT_EQ(
        View.Errors[0].rfind(L"Folder \"" + std::wstring(windows) + L"\" is not deleted (", 0), 0u);
    ExpectReported({L"Error: " + View.Errors[0]});
    EXPECT_TRUE(Locked().empty());
    EXPECT_EQ(TreeState(Root.Path() + L"."), before);
    EXPECT_EQ(TreeState(windows), windowsBefore);
    EXPECT_FALSE(Traced(L"TMainForm|  deleting file \"" + Root.Path() + L"logs\\one.log\"..."));
}

// A file held open without sharing in a folder every user may change: a File step's run would
// leave it with an error line, and the preview says so, not that it would wait for the
// restart; a Folder step that removes the whole tree would take the tree out of users' reach
// and leave the file to the restart, and the preview says that.
TEST_F(PreviewTest, ALockedFileTheRunWouldRefuseIsNotSaidToWaitForTheRestart) {
    const std::wstring users = Root.Path() + L"app\\users";
    const std::wstring held = Make(L"app\\users\\held.dll");
    test::LetEveryoneChange(users);
    test::TRunningProcess holder(L"\"" + test::HelperPath(L"procs_child.exe") + L"\" hold \"" +
                                 held + L"\"");
    ASSERT_TRUE(test::WaitForFile(held + L".held", 20000));
    const std::wstring waits =
        L"\"" + held + L"\" cannot be opened: it would be deleted at the next restart";
    const std::wstring stays =
        L"\"" + held + L"\" is locked and stays: a folder above it can be changed by users";

    RunSteps(L"<Files><File Path=\"" + users + L"\" Mask=\"*.dll\" Recursive=\"False\"/></Files>");
    EXPECT_EQ(View.Errors, std::vector<std::wstring>{stays});
    ExpectReported({L"Error: " + stays});
    const auto reported = Reported();
    EXPECT_EQ(std::find(reported.begin(), reported.end(), waits), reported.end());

    View.Errors.clear();
    RunSteps(L"<Folders><Folder Path=\"" + Root.Path() + L"app\"/></Folders>");
    EXPECT_TRUE(View.Errors.empty());
    ExpectReported({waits});
    EXPECT_NE(FileSystem::UserControlReason(held), L"") << "a preview changed the folder";
}

// A link inside the tree is reported as the deletion would treat it, and neither the link nor
// its target changes (link-fixture.sh: preview\lnk -> preview-target).
TEST_F(PreviewTest, ALinkInTheTreeIsReportedAndKept) {
    const std::wstring tree = L"C:\\link-fixture\\preview";
    const DWORD attributes = GetFileAttributesW((tree + L"\\lnk").c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_FAIL() << "the link fixture the set-up made is gone: a step walked into it";
    const auto before = TreeState(L"C:\\link-fixture");

    RunSteps(L"<Folders><Folder Path=\"" + tree + L"\"/></Folders>");

    const std::wstring removed = L"Link \"" + tree +
                                 L"\\lnk\\\" would be removed alone; its "
                                 L"target stays";
    const std::wstring left = L"Link \"" + tree +
                              L"\\lnk\" would be left in place (the link "
                              L"cannot be removed without touching its "
                              L"target)";
    const std::vector<std::wstring> lines = Reported();
    EXPECT_TRUE(std::find(lines.begin(), lines.end(), removed) != lines.end() ||
                std::find(lines.begin(), lines.end(), left) != lines.end())
        << WideToUtf8(Joined(lines));
    EXPECT_EQ(TreeState(L"C:\\link-fixture"), before);
    EXPECT_TRUE(Locked().empty());
}

// Processes keep running; services keep running, registered and with their keys; a missing
// one is said.
TEST_F(PreviewTest, ProcessesAndServicesAreReportedAndKeepRunning) {
    test::TProgramCopies portal(L"NorvaPortal-" + test::UniqueName(L"") + L".exe");
    const DWORD first = portal.Start();
    const DWORD second = portal.Start();
    test::TTestService service;
    service.Start();
    test::TTestService stopped;
    const std::wstring missing = test::UniqueName(L"Missing-");

    RunSteps(L"<Processes><Process Name=\"" + portal.Name() + L"\"/><Process Name=\"" + missing +
             L".exe\"/></Processes><Services><Service Name=\"" + service.Name() +
             L"\" Param=\"-remove\"/><Service Name=\"" + stopped.Name() +
             L"\" Param=\"-remove\"/><Service Name=\"" + missing +
             L"\" Param=\"-remove\"/></Services>");

    const std::vector<std::wstring> lines = Reported();
    const std::wstring ids = std::to_wstring(first) + L", " + std::to_wstring(second);
    const std::wstring idsSwapped = std::to_wstring(second) + L", " + std::to_wstring(first);
    const std::wstring ended = L"Process \"" + portal.Name() + L"\" would be ended (process ids ";
    EXPECT_TRUE(std::find(lines.begin(), lines.end(), ended + ids + L")") != lines.end() ||
                std::find(lines.begin(), lines.end(), ended + idsSwapped + L")") != lines.end())
        << WideToUtf8(Joined(lines));
    ExpectReported({
        L"Process \"" + missing + L".exe\": none running",
        L"Service \"" + service.Name() + L"\" would be stopped",
        L"Service \"" + service.Name() + L"\" would be removed with \"" + service.Exe() +
            L" -remove\"",
        L"Registry key \"HKLM\\" + test::ServiceKey(service.Name()) + L"\" would be deleted",
        L"Service \"" + stopped.Name() + L"\" is not running",
        L"Service \"" + missing + L"\" not found",
    });
    EXPECT_TRUE(View.Errors.empty()) << WideToUtf8(View.Errors[0]);
    EXPECT_EQ(portal.Running(), 2u);
    EXPECT_EQ(service.State(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_TRUE(service.KeyExists());
    EXPECT_TRUE(stopped.KeyExists());
    EXPECT_NE(stopped.State(), 0u);
    EXPECT_TRUE(service.RemovalCommandLine().empty());
    EXPECT_TRUE(stopped.RemovalCommandLine().empty());
}

// Keys, App Paths entries, mail profiles and COM registrations are reported, what the registry
// guard refuses is reported as refused, and not one key or value changes.
TEST_F(PreviewTest, RegistryStepsReportKeysAndChangeNone) {
    test::TTestKey user(HKEY_CURRENT_USER, L"Software");
    SetString(HKEY_CURRENT_USER, user.Path() + L"\\Sub", L"Value", L"x");
    const std::wstring profiles = user.Path() + L"\\Profiles";
    test::CreateRegKey(HKEY_CURRENT_USER, profiles + L"\\12345DISP\\Inner");
    test::CreateRegKey(HKEY_CURRENT_USER, profiles + L"\\Outlook");
    const std::wstring appPaths = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
    test::TTestKey entry(HKEY_LOCAL_MACHINE, appPaths);
    SetString(HKEY_LOCAL_MACHINE, entry.Path(), L"", L"C:\\Velmarix\\VelxLP\\" + entry.Name());
    const TClassesKeys com;
    const std::wstring& clsid = com.Clsid;
    SetString(HKEY_CLASSES_ROOT, com.ProgId + L"\\CLSID", L"", clsid);
    SetString(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid + L"\\InprocServer32", L"", L"x.dll");
    SetString(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid + L"\\ProgID", L"", com.ProgId + L".1");
    const auto userBefore = KeyState(HKEY_CURRENT_USER, user.Path());
    const auto entryBefore = KeyState(HKEY_LOCAL_MACHINE, entry.Path());
    const auto classBefore = KeyState(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid);
    const auto progIdBefore = KeyState(HKEY_CLASSES_ROOT, com.ProgId);

    RunSteps(L"<AppPath><Value Mask=\"*\\VelxLP\\" + entry.Name() + L"\"/></AppPath>" +
             L"<ComObjects><ComObject ProgID=\"" + com.ProgId + L"\"/></ComObjects>" +
             L"<Registry><Key Name=\"HKCU\\" + user.Path() + L"\"/><Key Name=\"HKCU\\" +
             user.Path() + L"\\Gone\"/><Key Name=\"HKLM\\Software\"/></Registry>" +
             L"<Profiles><Key Name=\"HKCU\\" + profiles +
             L"\"/><RegExpr>(?i)[0-9]{5}(DISP|EDI)</RegExpr></Profiles>");

    ExpectReported({
        L"Registry key \"" + entry.Path() + L"\" would be deleted",
        L"Registry key \"CLSID\\" + clsid + L"\" would be deleted",
        L"Registry key \"" + com.ProgId + L"\" would be deleted",
        L"Registry key \"HKCU\\" + user.Path() + L"\" would be deleted",
        L"Registry key \"HKCU\\" + user.Path() + L"\\Gone\" not found",
        L"Registry key \"" + profiles + L"\\12345DISP\" would be deleted",
    });
    ASSERT_EQ(View.Errors.size(), 1u);
    EXPECT_EQ(View.Errors[0].rfind(L"Registry key \"HKLM\\Software\" is not deleted (", 0), 0u);
    ExpectReported({L"Error: " + View.Errors[0]});
    const std::vector<std::wstring> lines = Reported();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::wstring& l) { return l.find(L"Outlook") != l.npos; }),
              0);
    EXPECT_EQ(KeyState(HKEY_CURRENT_USER, user.Path()), userBefore);
    EXPECT_EQ(KeyState(HKEY_LOCAL_MACHINE, entry.Path()), entryBefore);
    EXPECT_EQ(KeyState(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid), classBefore);
    EXPECT_EQ(KeyState(HKEY_CLASSES_ROOT, com.ProgId), progIdBefore);
}

// The search path: what would be taken out and what it would read; its stored bytes stay and
// no program is told of a change.
TEST_F(PreviewTest, TheSearchPathIsReportedAndKeptAsStored) {
    const wchar_t* environment =
        L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
    const TStoredValue machine(HKEY_LOCAL_MACHINE, environment, L"Path");
    SetString(HKEY_LOCAL_MACHINE, environment, L"Path",
              L"C:\\Windows;c:\\suite\\system ; ;D:\\Tools");
    const auto before = KeyState(HKEY_LOCAL_MACHINE, environment);
    test::TSettingReceiver program;

    RunSteps(L"<Paths><Path Name=\"C:\\Suite\\System\"/><Path Name=\"D:\\Other\"/></Paths>");

    EXPECT_EQ(Reported(), (std::vector<std::wstring>{
                              L"Search path: \"C:\\Suite\\System\" would be taken out; it would "
                              L"read \"C:\\Windows;D:\\Tools;\"",
                              L"Search path: \"D:\\Other\" is not in it; it would read "
                              L"\"C:\\Windows;c:\\suite\\system ;D:\\Tools;\""}));
    EXPECT_TRUE(View.Errors.empty()) << WideToUtf8(View.Errors[0]);
    EXPECT_EQ(KeyState(HKEY_LOCAL_MACHINE, environment), before);
    EXPECT_TRUE(program.Texts().empty());
}

// Shortcuts, COM servers found by a folder walk, shares and commands are reported; no shortcut
// goes, no server is unregistered, no command runs.
TEST_F(PreviewTest, ShortcutsServersSharesAndCommandsAreReportedAndNothingRuns) {
    const std::wstring target = Make(L"apps\\VelxLP.exe");
    const std::wstring shortcut = Make(L"links\\Portal.lnk");
    DeleteFileW(shortcut.c_str());
    TShortcutLink link;
    link.ShortcutFile = shortcut;
    link.Target = target;
    link.Write();
    const std::wstring record = Root.Path() + L"unregistered.txt";
    SetEnvironmentVariableW(L"NRV_TEST_COM_RECORD", record.c_str());
    const std::wstring server = Make(L"com\\one.dll");
    CopyFileW(test::HelperPath(L"com_server.dll").c_str(), server.c_str(), FALSE);
    CopyFileW(test::HelperPath(L"com_dep.dll").c_str(), (Root.Path() + L"com\\com_dep.dll").c_str(),
              FALSE);
    test::TTestKey serverClass(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID");
    test::WriteRegString(HKEY_LOCAL_MACHINE, serverClass.Path() + L"\\InprocServer32", L"", server);
    const std::wstring made = Root.Path() + L"made";
    const std::wstring command = L"cmd.exe /c mkdir \"" + made + L"\"";
    const auto before = TreeState(Root.Path() + L".");

    RunSteps(L"<Commands><Command>" + Escape(command) + L"</Command></Commands>" +
             L"<ComObjects><ComObject Path=\"" + Root.Path() +
             L"com\" Mask=\"one.dll\"/></ComObjects>" +
             L"<Shares><Share Name=\"NrvDocs\"/></Shares><Shortcuts><Shortcut Path=\"" +
             Root.Path() + L"links\" TargetMask=\"*VelxLP*\" Recursive=\"True\"/></Shortcuts>");
    SetEnvironmentVariableW(L"NRV_TEST_COM_RECORD", nullptr);

    ExpectReported({
        L"Command \"" + command + L"\" would be run",
        L"COM server \"" + server + L"\" would be unregistered",
        L"Share \"NrvDocs\" would be deleted with \"NET SHARE NrvDocs /DELETE\"",
        L"Shortcut \"" + shortcut + L"\" would be deleted (it points to \"" + target + L"\")",
    });
    EXPECT_TRUE(View.Errors.empty()) << WideToUtf8(View.Errors[0]);
    EXPECT_EQ(TreeState(Root.Path() + L"."), before);
    EXPECT_FALSE(test::FileExists(record));
    EXPECT_FALSE(test::FileExists(made));
}

// The report reaches standard output: a window program like the uninstaller, started with
// its output captured, writes its lines as UTF-8, letters outside the ANSI code page included.
TEST(PreviewOutput, ReportLinesReachStandardOutputAsUtf8) {
    test::TRunResult result = test::Run(L"\"" + test::HelperPath(L"stdout_probe.exe") + L"\"");

    EXPECT_EQ(result.ExitCode, 0u);
    EXPECT_EQ(result.Output,
              WideToUtf8(L"Folder \"C:\\\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u0430\": "
                         L"1 files\r\nShortcut \"\u5feb\u6377.lnk\"\r\n"));
}

} // namespace
