// The real uninstall.exe under Wine: started, driven by a user's clicks from another process,
// and judged by the machine's state, its window and its trace afterwards.
#include "InstalledProgram.h"
#include "core/Handle.h"
#include "core/Text.h"
#include "logging/LoggingFixtures.h"
#include "support/EnvSupport.h"
#include "support/KnownFolders.h"
#include "support/ProcessSupport.h"
#include "support/ScriptSupport.h"
#include "support/ServiceSupport.h"
#include "support/TestSupport.h"
#include "sys/com/ComInit.h"
#include "sys/com/ShortcutLink.h"
#include "sys/processes/ProcessLookup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <sstream>

namespace {

const wchar_t* const EsdKey = L"Software\\Velmarix\\Services\\Esd\\Settings";
const wchar_t* const NorvaKey = L"Software\\Talveno\\Norva";

struct TControl {
    std::string Class;
    bool Visible = false, Enabled = false, Checked = false;
    int X = 0, Y = 0, W = 0, H = 0;
    std::string Text;
};

std::string Driver(const std::wstring& Arguments) {
    auto result =
        test::Run(L"\"" + test::HelperPath(L"ui_driver.exe") + L"\" " + Arguments, {}, 180000);
    EXPECT_EQ(result.ExitCode, 0u) << WideToUtf8(Arguments) << ": " << result.Output;
    return result.Output;
}

// The window's controls by id, as the driver sees them.
std::map<int, TControl> WindowState() {
    std::map<int, TControl> controls;
    std::istringstream lines(Driver(L"state"));
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream fields(line);
        std::string id, cls, visible, enabled, checked, rect, text;
        std::getline(fields, id, '\t');
        if (id == "caption")
            continue;
        std::getline(fields, cls, '\t');
        std::getline(fields, visible, '\t');
        std::getline(fields, enabled, '\t');
        std::getline(fields, checked, '\t');
        std::getline(fields, rect, '\t');
        std::getline(fields, text);
        TControl c;
        c.Class = cls;
        c.Visible = visible == "1";
        c.Enabled = enabled == "1";
        c.Checked = checked == "1";
        sscanf(rect.c_str(), "%d,%d,%d,%d", &c.X, &c.Y, &c.W, &c.H);
        c.Text = text;
        controls[std::stoi(id)] = c;
    }
    return controls;
}

// The whole screen as a bitmap file beside the test program, kept as test output.
void Screenshot(const std::wstring& Name) {
    HDC screen = GetDC(nullptr);
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    GdiFlush();
    DWORD stride = ((w * 3 + 3) & ~3u), size = stride * h;
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof file + sizeof info.bmiHeader + size),
                             0, 0, static_cast<DWORD>(sizeof file + sizeof info.bmiHeader)};
    std::string bytes(reinterpret_cast<char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<char*>(&info.bmiHeader), sizeof info.bmiHeader);
    bytes.append(static_cast<char*>(bits), size);
    test::WriteTextFile(Name, bytes);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

BOOL CALLBACK FindRestartBox(HWND wnd, LPARAM p) {
    if (GetDlgCtrlID(wnd) != 1024)
        return TRUE;
    *reinterpret_cast<HWND*>(p) = wnd;
    return FALSE;
}

class EndToEnd : public testing::Test {
protected:
    void SetUp() override { ClearKeys(); }
    void TearDown() override { ClearKeys(); }
    static void ClearKeys() {
        test::DeleteRegTree(HKEY_LOCAL_MACHINE, L"Software\\Velmarix");
        test::DeleteRegTree(HKEY_LOCAL_MACHINE, L"Software\\Talveno");
    }
    std::wstring Make(const std::wstring& Relative, DWORD Attributes = FILE_ATTRIBUTE_NORMAL) {
        std::wstring full = Root.Path() + Relative;
        for (size_t slash = full.find(L'\\', Root.Path().size()); slash != std::wstring::npos;
             slash = full.find(L'\\', slash + 1))
            CreateDirectoryW(full.substr(0, slash).c_str(), nullptr);
        test::WriteTextFile(full, "x");
        SetFileAttributesW(full.c_str(), Attributes);
        return full;
    }
    bool Exists(const std::wstring& Relative) { return test::FileExists(Root.Path() + Relative); }

    test::TTempFolder Root;
};

TEST_F(EndToEnd, RemovesTheInstallationAndSchedulesTheLockedFile) {
    test::WriteRegString(HKEY_LOCAL_MACHINE, EsdKey, L"LPDir", Root.Path() + L"LP");
    test::WriteRegString(HKEY_LOCAL_MACHINE, EsdKey, L"LDDir", Root.Path() + L"LD");
    test::WriteRegString(HKEY_LOCAL_MACHINE, NorvaKey, L"Install.Path", Root.Path());
    test::WriteRegString(HKEY_LOCAL_MACHINE, NorvaKey, L"Cache.Folder", L"Cache");
    test::WriteRegString(HKEY_LOCAL_MACHINE, NorvaKey, L"Error.Folder", L"Error");
    Make(L"LP\\bin\\app.exe");
    Make(L"LP\\bin\\readonly.dll", FILE_ATTRIBUTE_READONLY);
    Make(L"LP\\hidden.dat", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    Make(L"LP\\Velmarix\\MySql\\db.dat");
    Make(L"LP\\Velmarix\\Data\\d.dat");
    Make(L"LP\\Velmarix\\WebSocket\\ws.dll");
    Make(L"LD\\a.log");
    Make(L"LD\\Sub\\b.log");
    Make(L"LD\\keep.txt");
    std::wstring held = Make(L"LP\\locked\\held.dll");
    auto holder = std::make_unique<test::TRunningProcess>(
        L"\"" + test::HelperPath(L"procs_child.exe") + L"\" hold \"" + held + L"\"");
    ASSERT_TRUE(test::WaitForFile(held + L".held", 10000));
    DeleteFileW((held + L".held").c_str());

    TInstalledProgram program(L"e2e_folders.exe");
    test::TRunningProcess uninstall(L"\"" + program.Exe + L"\" /trace");
    Driver(L"wait");
    auto ready = WindowState();
    Screenshot(L"ready.bmp");
    EXPECT_EQ(ready[1001].Text, "Uninstall");
    EXPECT_TRUE(ready[1001].Enabled);
    EXPECT_EQ(ready[2].Text, "Close");
    EXPECT_EQ(ready[1020].Text, "Welcome to the Uninstall Talveno Connect program.");
    EXPECT_EQ(ready[1021].Text, "Click \"Uninstall\" to remove Talveno Connect.");
    EXPECT_FALSE(ready[1023].Visible);
    EXPECT_FALSE(ready[1024].Visible);
    EXPECT_EQ(ready[1001].X, 435); // at 96 dots per inch
    EXPECT_EQ(ready[1001].Y, 374 - 46 + 12);
    EXPECT_EQ(ready[2].X, 527);
    EXPECT_EQ(ready[1022].W, 329);

    Driver(L"click 1001");
    Driver(L"wait-enabled 2");
    auto done = WindowState();
    Screenshot(L"done.bmp");
    EXPECT_EQ(done[1021].Text, "Uninstallation done.");
    EXPECT_EQ(done[1022].Text, "The computer must be restarted to complete the uninstallation.");
    EXPECT_TRUE(done[1024].Visible);
    EXPECT_TRUE(done[1024].Checked);
    EXPECT_FALSE(done[1001].Enabled);
    EXPECT_TRUE(done[2].Enabled);
    EXPECT_FALSE(done[1023].Visible) << "no error line: " << done[1023].Text;

    EXPECT_FALSE(Exists(L"LP\\bin"));
    EXPECT_FALSE(Exists(L"LP\\hidden.dat"));
    EXPECT_FALSE(Exists(L"LP\\Velmarix\\WebSocket"));
    EXPECT_TRUE(Exists(L"LP\\Velmarix\\MySql\\db.dat"));
    EXPECT_TRUE(Exists(L"LP\\Velmarix\\Data\\d.dat"));
    EXPECT_TRUE(Exists(L"LP\\locked\\held.dll"));
    EXPECT_FALSE(Exists(L"LD\\a.log"));
    EXPECT_FALSE(Exists(L"LD\\Sub\\b.log"));
    EXPECT_TRUE(Exists(L"LD\\keep.txt"));

    // Untick the restart offer (a real restart would end the test's session) and close.
    HWND box = nullptr;
    EnumChildWindows(FindWindowW(L"TMainForm", nullptr), FindRestartBox,
                     reinterpret_cast<LPARAM>(&box));
    ASSERT_NE(box, nullptr);
    SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
    Driver(L"close");
    EXPECT_EQ(WaitForSingleObject(uninstall.Handle(), 30000), WAIT_OBJECT_0);

    std::string log = test::ReadTextFile(program.LogFile());
    EXPECT_EQ(log.rfind("uninstall.exe|4.2.0.0|\r\nI|", 0), 0u) << log.substr(0, 200);
    EXPECT_NE(log.find("||Trace system initialized.|"), std::string::npos);
    EXPECT_NE(log.find("|TMainForm|DeleteLockedFiles (4)|"), std::string::npos) << log;

    // The restart: the holder has ended, and the system carries out what was scheduled.
    holder.reset();
    test::Run(L"wineboot.exe -r", {}, 120000);
    EXPECT_FALSE(Exists(L"LP\\locked\\held.dll"));
    EXPECT_FALSE(Exists(L"LP\\locked"));
    EXPECT_TRUE(Exists(L"LP\\Velmarix\\MySql\\db.dat"));
}

TEST_F(EndToEnd, ABrokenScriptShowsTheErrorAndLeavesCloseEnabled) {
    TInstalledProgram program(L"e2e_bad_root.exe");
    test::TDebugMonitor monitor;
    test::TRunningProcess uninstall(L"\"" + program.Exe + L"\"");
    Driver(L"wait");
    Driver(L"click 1001");
    std::string box = Driver(L"message-box");
    EXPECT_NE(
        box.find("text\tLoadXml failed (Invalid Root name, expecting \"NorvaUninstall\".)\r\n"),
        std::string::npos)
        << box;
    Driver(L"wait-enabled 2");
    auto state = WindowState();
    EXPECT_TRUE(state[2].Enabled);
    EXPECT_FALSE(state[1001].Enabled);
    EXPECT_EQ(state[1021].Text, "Click \"Uninstall\" to remove Talveno Connect.");
    Driver(L"close");
    EXPECT_EQ(WaitForSingleObject(uninstall.Handle(), 30000), WAIT_OBJECT_0);

    // Without the trace switch: no file, but the debug monitor has every line.
    EXPECT_EQ(program.LogFile(), L"");
    bool seen = false;
    for (const auto& entry : monitor.Entries(1))
        seen = seen || entry.Text.find("Trace system initialized.") != std::string::npos;
    EXPECT_TRUE(seen);
}

// The suite's programs end, its services are stopped and removed with their keys; a service
// that does not stop shows its error line after the minute it is given, and the run goes on.
TEST_F(EndToEnd, EndsProcessesAndRemovesServices) {
    const std::wstring id = E2E_ID;
    test::TProgramCopies portal(L"NorvaPortal-" + id + L".exe");
    test::TProgramCopies daemon(L"NorvaDaemon-" + id + L".exe");
    for (int i = 0; i < 3; ++i)
        portal.Start();
    daemon.Start();
    test::TTestService hung({.Arguments = L"-service -ignorestop",
                             .Name = L"TalvenoHung-" + id,
                             .ExeName = L"HungSrv-" + id + L".exe"});
    test::TTestService broker({.Blanks = true, .Name = L"TalvenoBroker-" + id});
    // A key the service manager does not know: left behind by an earlier installation.
    test::TTestService gateway({.Blanks = true,
                                .Form = test::TTestService::Unquoted,
                                .Name = L"TalvenoGateway-" + id,
                                .Register = false});
    hung.Start();
    broker.Start();

    TInstalledProgram program(L"e2e_processes_services.exe");
    test::TRunningProcess uninstall(L"\"" + program.Exe + L"\" /trace");
    Driver(L"wait");
    auto start = std::chrono::steady_clock::now();
    Driver(L"click 1001");
    Driver(L"wait-enabled 2");
    auto took = std::chrono::steady_clock::now() - start;
    auto done = WindowState();
    Screenshot(L"processes-services.bmp");

    EXPECT_EQ(done[1021].Text, "Uninstallation done.");
    EXPECT_TRUE(done[1023].Visible);
    EXPECT_EQ(done[1023].Text, "Uninstall Service failed (Stop Service \"TalvenoHung-" +
                                   WideToUtf8(id) + "\" failed (Service stop failed (Timeout)))");
    EXPECT_FALSE(done[1024].Visible) << "nothing waits for a restart";
    EXPECT_GE(took, std::chrono::seconds(60));
    EXPECT_LT(took, std::chrono::seconds(75));

    EXPECT_TRUE(portal.AllEnded(5000));
    EXPECT_TRUE(daemon.AllEnded(5000));
    EXPECT_EQ(broker.RemovalCommandLine(), L"\"" + broker.Exe() + L"\" -remove");
    EXPECT_FALSE(broker.KeyExists());
    EXPECT_EQ(broker.State(), 0u);
    EXPECT_EQ(gateway.RemovalCommandLine(), L"\"" + gateway.Exe() + L"\" -remove Watchdog");
    EXPECT_FALSE(gateway.KeyExists());
    // The service that did not stop keeps its key; its program is ended by the last group.
    EXPECT_EQ(hung.RemovalCommandLine(), L"");
    EXPECT_TRUE(hung.KeyExists());
    TKernelHandle found;
    EXPECT_FALSE(FindProcess(L"HungSrv-" + id + L".exe", found));

    Driver(L"close");
    EXPECT_EQ(WaitForSingleObject(uninstall.Handle(), 30000), WAIT_OBJECT_0);
    std::string log = test::ReadTextFile(program.LogFile());
    for (const char* line : {"|TMainForm|  service stopped.|", "|TMainForm|  open service failed.|",
                             "|TMainForm|  rc=0|"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

// The shipped program with its own script on a seeded installation: every group runs to the
// end. Steps the prefix cannot satisfy (no shares, no firewall) may show error lines, never an
// error box. Shortcuts on the desktops are found by what they point to; decoys stay.
TEST_F(EndToEnd, TheShippedProgramRunsTheDefaultScriptToTheEnd) {
    test::WriteRegString(HKEY_LOCAL_MACHINE, EsdKey, L"LPDir", Root.Path() + L"LP");
    test::WriteRegString(HKEY_LOCAL_MACHINE, EsdKey, L"LDDir", Root.Path() + L"LD");
    test::WriteRegString(HKEY_LOCAL_MACHINE, NorvaKey, L"Install.Path", Root.Path() + L"LP");
    test::WriteRegString(HKEY_LOCAL_MACHINE, NorvaKey, L"Cache.Folder", L"Cache");
    test::WriteRegString(HKEY_LOCAL_MACHINE, NorvaKey, L"Error.Folder", L"Error");
    const std::wstring browser = Make(L"Browser\\browser.exe");
    const std::wstring app = Make(L"LP\\bin\\VelxLP.exe");
    TComInit com;
    std::vector<std::pair<std::wstring, bool>> links;
    auto link = [&](const std::wstring& Folder, const std::wstring& Name,
                    const std::wstring& Target, const std::wstring& Arguments, bool Removed) {
        TShortcutLink shortcut;
        shortcut.ShortcutFile = Folder + L"\\" + test::UniqueName(Name) + L".lnk";
        shortcut.Target = Target;
        shortcut.Arguments = Arguments;
        shortcut.Write();
        links.emplace_back(shortcut.ShortcutFile, Removed);
    };
    const std::wstring common = test::SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    const std::wstring user = test::SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    link(common, L"Portal", browser, L"https://portal.velmarix.com/", true);
    link(user, L"Launcher", app, L"", true);
    link(common, L"Browser", browser, L"https://example.org/", false);
    link(user, L"Notes", browser, L"velmarix", false);

    test::TRunningProcess uninstall(L"\"" + test::ProgramPath() + L"\"");
    Driver(L"wait");
    Driver(L"click 1001");
    Driver(L"wait-enabled 2");
    auto done = WindowState();
    Screenshot(L"default-script.bmp");
    EXPECT_EQ(done[1021].Text, "Uninstallation done.");
    for (const auto& [file, removed] : links)
        EXPECT_EQ(test::FileExists(file), !removed) << WideToUtf8(file);
    EXPECT_FALSE(Exists(L"LP\\bin"));
    EXPECT_TRUE(Exists(L"Browser\\browser.exe"));
    for (const auto& [file, removed] : links)
        DeleteFileW(file.c_str());

    HWND box = nullptr;
    EnumChildWindows(FindWindowW(L"TMainForm", nullptr), FindRestartBox,
                     reinterpret_cast<LPARAM>(&box));
    if (box)
        SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
    Driver(L"close");
    EXPECT_EQ(WaitForSingleObject(uninstall.Handle(), 30000), WAIT_OBJECT_0);
}

} // namespace
