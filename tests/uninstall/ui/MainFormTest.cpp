#include "core/Exception.h"
#include "core/Handle.h"
#include "core/Text.h"
#include "support/TestSupport.h"
#include "sys/ComInit.h"
#include "sys/Procs.h"
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
