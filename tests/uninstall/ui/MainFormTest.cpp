#include "core/Exception.h"
#include "core/Handle.h"
#include "core/Text.h"
#include "support/TestSupport.h"
#include "sys/com/ComInit.h"
#include "sys/processes/Reboot.h"
#include "uninstall/ui/ApplicationError.h"
#include "uninstall/ui/MainForm.h"
#include "uninstall/ui/MainFormLayout.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace {

TEST(MainFormPlacement, AThirdOfTheFreeHeightAboveAndCentredAcross) {
    const struct {
        SIZE Work, Window;
        POINT Expected;
    } cases[] = {
        {{1920, 1040}, {629, 412}, {645, 209}},
        {{1024, 768}, {629, 412}, {197, 118}},
        {{600, 400}, {629, 412}, {-14, -4}}, // larger than the screen: truncated toward zero
    };
    for (const auto& c : cases) {
        POINT at = MainFormPosition(c.Work, c.Window);
        EXPECT_EQ(at.x, c.Expected.x);
        EXPECT_EQ(at.y, c.Expected.y);
    }
}

struct TFindControl {
    int Id;
    HWND Found;
};

BOOL CALLBACK FindControlProc(HWND wnd, LPARAM p) {
    auto f = reinterpret_cast<TFindControl*>(p);
    if (GetDlgCtrlID(wnd) != f->Id)
        return TRUE;
    f->Found = wnd;
    return FALSE;
}

TEST(ApplicationError, AFullStopEndsEveryMessageThatLacksOne) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"Disk full", L"Disk full."},
        {L"LoadXml failed (Invalid version, expecting \"1.0\".)",
         L"LoadXml failed (Invalid version, expecting \"1.0\".)"},
        {L"Done.", L"Done."},
        {L"Trailing blank ", L"Trailing blank "},
        {L"Ends in a digit 5", L"Ends in a digit 5."},
        {L"", L""},
    };
    for (const auto& [message, shown] : cases)
        EXPECT_EQ(ApplicationErrorText(message), shown);
}

HWND Control(HWND Main, int Id) {
    TFindControl find = {Id, nullptr};
    EnumChildWindows(Main, FindControlProc, reinterpret_cast<LPARAM>(&find));
    return find.Found;
}

// Presses OK on the first message box this process shows, and keeps its text.
class TMessageBoxWatcher {
public:
    TMessageBoxWatcher() : FThread([this] { Watch(); }) {}
    ~TMessageBoxWatcher() { Wait(); }
    // The box's text once it has been answered; empty when none came within ten seconds.
    std::wstring Wait() {
        if (FThread.joinable())
            FThread.join();
        return FText;
    }

private:
    void Watch() {
        for (int i = 0; i < 200; ++i, Sleep(50)) {
            HWND box = FindWindowW(L"#32770", nullptr);
            if (!box)
                continue;
            // The box can be found before it has filled in its text.
            wchar_t text[512] = {};
            if (GetDlgItemTextW(box, 0xFFFF, text, 512) == 0)
                continue;
            FText = text;
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return;
        }
    }
    std::wstring FText;
    std::thread FThread;
};

int RestartRequests = 0;
BOOL WINAPI RefuseRestart(UINT, DWORD) {
    ++RestartRequests;
    SetLastError(ERROR_PRIVILEGE_NOT_HELD);
    return FALSE;
}

void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(99);
}

// The window in this process, with the restart request answered "refused".
class MainForm : public testing::Test {
protected:
    void SetUp() override {
        Previous = SetExitWindowsFunc(&RefuseRestart);
        RestartRequests = 0;
    }
    void TearDown() override { SetExitWindowsFunc(Previous); }

    // Runs the window's message loop until it closes; false when it did not within 10 s.
    static bool RunsToClose(TMainForm& Form) {
        UINT_PTR timer = SetTimer(nullptr, 0, 10000, GiveUp);
        bool closed = Form.Run(SW_SHOWNOACTIVATE) == 0;
        KillTimer(nullptr, timer);
        return closed;
    }

    TComInit Com;
    TExitWindowsFunc Previous = nullptr;
};

TEST_F(MainForm, AFailedRestartKeepsTheWindowOpenAndShowsWhy) {
    TMainForm form(GetModuleHandleW(nullptr));
    SendMessageW(Control(form.Handle(), idCbRestart), BM_SETCHECK, BST_CHECKED, 0);
    TMessageBoxWatcher watcher;
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    std::wstring shown = watcher.Wait();
    EXPECT_EQ(RestartRequests, 1);
    EXPECT_EQ(shown.rfind(L"RebootOnNt() failed (", 0), 0u) << WideToUtf8(shown);
    EXPECT_TRUE(IsWindow(form.Handle()));

    // Unticked, the next close ends the window without asking for a restart.
    SendMessageW(Control(form.Handle(), idCbRestart), BM_SETCHECK, BST_UNCHECKED, 0);
    PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(RunsToClose(form));
    EXPECT_EQ(RestartRequests, 1);
}

TEST_F(MainForm, EscapeClosesTheWindow) {
    TMainForm form(GetModuleHandleW(nullptr));
    PostMessageW(Control(form.Handle(), idBtnUninstall), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(RunsToClose(form));
    EXPECT_EQ(RestartRequests, 0);
}

std::wstring WindowText(HWND Window) {
    wchar_t text[256] = {};
    GetWindowTextW(Window, text, 256);
    return text;
}

// The cursor a window shows once the mouse moves over its client area: the system sends it
// WM_SETCURSOR, and whoever answers sets the cursor.
HCURSOR CursorOver(HWND Window) {
    SetCursor(nullptr);
    SendMessageW(Window, WM_SETCURSOR, reinterpret_cast<WPARAM>(Window),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
}

// A step of the test inside the window's run: a message to a window of its own, which the run's
// message pump delivers at the first status text.
std::function<void()> StepInRun;

LRESULT CALLBACK StepProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_APP && StepInRun) {
        StepInRun();
        return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

TWindowHandle StepWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = StepProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MainFormTestStep";
    RegisterClassW(&wc);
    return TWindowHandle(CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       wc.hInstance, nullptr));
}

TEST_F(MainForm, TheHourglassStaysOverEveryPartOfTheWindowWhileTheScriptRuns) {
    TMainForm form(GetModuleHandleW(nullptr));
    const HWND main = form.Handle();
    const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT), arrow = LoadCursorW(nullptr, IDC_ARROW);
    // The error list has a cursor of its own; "Close" is disabled during the run.
    const std::pair<const char*, HWND> parts[] = {
        {"window", main},
        {"picture panel", Control(main, idImLeft)},
        {"Close", Control(main, idBtnCancel)},
        {"status line", Control(main, idStStatus1)},
        {"error list", Control(main, idErrorLog)},
    };
    std::wstring phase;
    HCURSOR atStart = nullptr;
    std::vector<HCURSOR> running;
    StepInRun = [&] {
        phase = WindowText(Control(main, idStStatus1));
        atStart = GetCursor();
        for (const auto& part : parts)
            running.push_back(CursorOver(part.second));
    };
    TWindowHandle step = StepWindow();
    ASSERT_TRUE(step);
    PostMessageW(step.Get(), WM_APP, 0, 0);
    SetCursor(arrow);
    SendMessageW(Control(main, idBtnUninstall), BM_CLICK, 0, 0);
    StepInRun = nullptr;

    ASSERT_EQ(phase, L"Uninstall in progress...") << "the step did not run inside the run";
    EXPECT_EQ(WindowText(Control(main, idStStatus1)), L"Uninstallation done.");
    EXPECT_EQ(atStart, wait);
    for (size_t i = 0; i < running.size(); ++i)
        EXPECT_EQ(running[i], wait) << parts[i].first;
    // Afterwards the cursor of before the run, and each part's own once the mouse moves.
    EXPECT_EQ(GetCursor(), arrow);
    for (const auto& [name, window] : parts)
        EXPECT_EQ(CursorOver(window),
                  reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR)))
            << name;

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(RunsToClose(form));
}

// Presses a key on whatever has the focus, as the keyboard would, and lets the window's loop
// take it.
void PressKey(TMainForm& Form, UINT Key, UINT Message = WM_KEYDOWN) {
    HWND to = GetFocus() ? GetFocus() : Form.Handle();
    PostMessageW(to, Message, Key, Message == WM_SYSKEYDOWN ? KF_ALTDOWN << 16 : 0);
    Form.ProcessMessages();
}

// Whether the window has gone after the loop took everything posted; its quit message is taken
// too.
bool Closed(TMainForm& Form, HWND Main) {
    Form.ProcessMessages();
    MSG quit;
    bool quitPosted = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    return !IsWindow(Main) && quitPosted;
}

bool IsDefault(HWND Button) {
    return (GetWindowLongW(Button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

TEST_F(MainForm, TabEnterAndTheDefaultButtonBeforeAndAfterTheRun) {
    TMainForm form(GetModuleHandleW(nullptr));
    const HWND main = form.Handle();
    const HWND uninstall = Control(main, idBtnUninstall), close = Control(main, idBtnCancel),
               restart = Control(main, idCbRestart);
    ShowWindow(main, SW_SHOW);
    SetForegroundWindow(main);
    SetFocus(uninstall);
    EXPECT_TRUE(IsDefault(uninstall));
    EXPECT_FALSE(IsDefault(close));

    // Before the run: "Uninstall", "Close", and round again; the focused button is the default.
    const HWND before[] = {close, uninstall, close};
    for (HWND next : before) {
        PressKey(form, VK_TAB);
        EXPECT_EQ(GetFocus(), next) << WideToUtf8(WindowText(GetFocus()));
        EXPECT_TRUE(IsDefault(next));
        EXPECT_FALSE(IsDefault(next == close ? uninstall : close));
    }
    // Enter presses the focused button, not the default one of before: "Uninstall".
    SetFocus(uninstall);
    PressKey(form, VK_RETURN);
    EXPECT_EQ(WindowText(Control(main, idStStatus1)), L"Uninstallation done.");
    EXPECT_FALSE(IsWindowEnabled(uninstall));

    // After it "Close" is the default, and the restart box joins the round when shown.
    EXPECT_TRUE(IsDefault(close));
    EXPECT_FALSE(IsDefault(uninstall));
    EXPECT_EQ(GetFocus(), close);
    ShowWindow(restart, SW_SHOW);
    const HWND after[] = {restart, close, restart};
    for (HWND next : after) {
        PressKey(form, VK_TAB);
        EXPECT_EQ(GetFocus(), next) << WideToUtf8(WindowText(GetFocus()));
    }
    // On the box, Enter presses the default, "Close", without ticking the box.
    EXPECT_TRUE(IsDefault(close));
    SendMessageW(restart, BM_SETCHECK, BST_UNCHECKED, 0);
    PostMessageW(restart, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(Closed(form, main));
    EXPECT_EQ(RestartRequests, 0);
}

TEST_F(MainForm, EnterOnCloseClosesTheWindowBeforeTheRun) {
    TMainForm form(GetModuleHandleW(nullptr));
    ShowWindow(form.Handle(), SW_SHOW);
    SetForegroundWindow(form.Handle());
    SetFocus(Control(form.Handle(), idBtnCancel));
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
    // Enter on "Uninstall" would run the script and leave the window open.
    EXPECT_TRUE(Closed(form, form.Handle()));
}

TEST_F(MainForm, NoKeyPressesOrClosesAnythingWhileTheScriptRuns) {
    TMainForm form(GetModuleHandleW(nullptr));
    const HWND main = form.Handle();
    ShowWindow(main, SW_SHOW);
    SetForegroundWindow(main);
    SetFocus(Control(main, idBtnUninstall));
    // Esc, Enter, an access key and Alt+F4, each to the window and to the focus.
    const std::pair<UINT, UINT> keys[] = {
        {WM_KEYDOWN, VK_ESCAPE}, {WM_KEYDOWN, VK_RETURN}, {WM_SYSCHAR, L'u'},
        {WM_SYSCHAR, L'c'},      {WM_SYSKEYDOWN, VK_F4},
    };
    StepInRun = [&] {
        for (HWND to : {main, GetFocus()})
            for (const auto& [message, key] : keys)
                if (to)
                    PostMessageW(to, message, key,
                                 message == WM_KEYDOWN ? 0 : static_cast<LPARAM>(KF_ALTDOWN) << 16);
        form.ProcessMessages();
    };
    TWindowHandle step = StepWindow();
    ASSERT_TRUE(step);
    PostMessageW(step.Get(), WM_APP, 0, 0);
    SendMessageW(Control(main, idBtnUninstall), BM_CLICK, 0, 0);
    StepInRun = nullptr;
    form.ProcessMessages();

    ASSERT_TRUE(IsWindow(main)) << "a key closed the window during the run";
    EXPECT_EQ(WindowText(Control(main, idStStatus1)), L"Uninstallation done.");
    EXPECT_TRUE(IsWindowEnabled(Control(main, idBtnCancel)));
    // Afterwards Esc closes again.
    PostMessageW(Control(main, idBtnCancel), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(RunsToClose(form));
}

TEST_F(MainForm, TheErrorListFollowsItsNewestLineAndScrollsAcrossALongOne) {
    TMainForm form(GetModuleHandleW(nullptr));
    const HWND list = Control(form.Handle(), idErrorLog);
    ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
    RECT client;
    const std::wstring longLine =
        L"Folder \"C:\\" + std::wstring(300, L'x') + L"\\end\" is not deleted";
    for (int i = 1; i <= 40; ++i) {
        form.AddErrorLine(i == 20 ? longLine : L"Error line " + std::to_wstring(i));
        form.ProcessMessages();
        // The newest line's start is in view as soon as it is there.
        const int last = static_cast<int>(SendMessageW(list, EM_GETLINECOUNT, 0, 0)) - 1;
        const int start = static_cast<int>(SendMessageW(list, EM_LINEINDEX, last, 0));
        const LRESULT at = SendMessageW(list, EM_POSFROMCHAR, start, 0);
        GetClientRect(list, &client);
        EXPECT_EQ(last, i - 1) << "lines are not wrapped";
        EXPECT_GE(static_cast<short>(HIWORD(at)), 0) << "line " << i;
        EXPECT_LT(static_cast<short>(HIWORD(at)), client.bottom) << "line " << i;
    }
    EXPECT_GT(SendMessageW(list, EM_GETFIRSTVISIBLELINE, 0, 0), 0);

    // The long line can be scrolled across to its end.
    SCROLLINFO bar = {};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_ALL;
    ASSERT_TRUE(GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL);
    ASSERT_TRUE(GetScrollInfo(list, SB_HORZ, &bar));
    TWindowDC dc(list);
    TSelectObject font(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    SIZE size;
    GetTextExtentPoint32W(dc.Get(), longLine.c_str(), static_cast<int>(longLine.size()), &size);
    EXPECT_GE(bar.nMax - bar.nMin + 1, size.cx);
    EXPECT_GT(size.cx, client.right);

    PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(RunsToClose(form));
}

struct THookTraits {
    using type = HHOOK;
    static type Empty() { return nullptr; }
    static void Close(type h) { UnhookWindowsHookEx(h); }
};

// The class whose windows the system refuses to make, by way of a CBT hook.
const wchar_t* RefusedClass = nullptr;

LRESULT CALLBACK RefuseCreation(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_CREATEWND) {
        const wchar_t* name = reinterpret_cast<const CBT_CREATEWNDW*>(l)->lpcs->lpszClass;
        if (!IS_INTRESOURCE(name) && _wcsicmp(name, RefusedClass) == 0)
            return 1;
    }
    return CallNextHookEx(nullptr, code, w, l);
}

TEST_F(MainForm, AWindowThatCannotBeMadeStopsTheFormAndLeavesNoWindowBehind) {
    // The window itself, one of its panels, one of its controls.
    for (const wchar_t* refused : {L"TMainForm", L"TPanel", L"EDIT"}) {
        SCOPED_TRACE(WideToUtf8(refused));
        RefusedClass = refused;
        std::wstring message;
        {
            THandle<THookTraits> hook(
                SetWindowsHookExW(WH_CBT, RefuseCreation, nullptr, GetCurrentThreadId()));
            ASSERT_TRUE(hook);
            try {
                TMainForm form(GetModuleHandleW(nullptr));
            } catch (const Exception& e) {
                message = e.Message();
            }
        }
        const std::wstring start = L"CreateWindowEx failed (";
        EXPECT_TRUE(message.size() > start.size() + 1 && message.rfind(start, 0) == 0 &&
                    message.back() == L')')
            << WideToUtf8(message);
        EXPECT_EQ(FindWindowW(L"TMainForm", nullptr), nullptr);
        // A main window that was made and destroyed again has posted its quit message.
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            ;
    }
}

} // namespace
