#include "core/Handle.h"
#include "logging/Logger.h"
#include "logging/RecordingAppender.h"
#include "uninstall/ui/TrayRefresh.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcW(h, m, w, l);
}

std::vector<POINT> Moves;
WNDPROC ToolbarProc = nullptr;

LRESULT CALLBACK SlowProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_MOUSEMOVE) {
        Moves.push_back({static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))});
        Sleep(20);
    }
    return CallWindowProcW(ToolbarProc, h, m, w, l);
}

LRESULT CALLBACK CountingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_MOUSEMOVE)
        Moves.push_back({static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))});
    return CallWindowProcW(ToolbarProc, h, m, w, l);
}

// A taskbar-like window tree: Shell_TrayWnd > [start button, TrayNotifyWnd > [clock,
// ToolbarWindow32 (a real toolbar, counting its mouse moves), second toolbar]].
class TrayRefresh : public testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        for (const wchar_t* name : {L"Shell_TrayWnd", L"TrayNotifyWnd", L"TrayClockWClass"}) {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = PlainProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = name;
            RegisterClassW(&wc);
        }
        TrayWindow = TWindowHandle(CreateWindowW(L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 800, 40,
                                                 nullptr, nullptr, nullptr, nullptr));
        Tray = TrayWindow.Get();
        Start = Child(L"Button", Tray, 0, 0, 40, 40);
        Notify = Child(L"TrayNotifyWnd", Tray, 500, 0, 300, 40);
        Clock = Child(L"TrayClockWClass", Notify, 0, 0, 50, 40);
        Moves.clear();
        GetLogger().addAppender(&Appender);
    }
    void TearDown() override {
        TrayWindow.Reset(); // with every window below it
        TNvLogger::Reset();
    }
    HWND Child(const wchar_t* cls, HWND parent, int x, int y, int w, int h) {
        return CreateWindowW(cls, L"", WS_CHILD | WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN, x,
                             y, w, h, parent, nullptr, nullptr, nullptr);
    }
    HWND Toolbar(int x, int w, int h) { return Child(TOOLBARCLASSNAMEW, Notify, x, 0, w, h); }
    static RECT Client(HWND wnd) {
        RECT r = {};
        GetClientRect(wnd, &r);
        return r;
    }
    std::vector<std::wstring> Trace() const {
        std::vector<std::wstring> lines;
        for (const auto& m : Appender.Messages)
            lines.push_back(m.getMessage());
        return lines;
    }
    static std::wstring Line(const wchar_t* what, HWND wnd) {
        return std::wstring(what) + L" wnd=" + std::to_wstring(reinterpret_cast<INT_PTR>(wnd));
    }

    TRecordingAppender Appender;
    TWindowHandle TrayWindow;
    HWND Tray = nullptr, Start = nullptr, Notify = nullptr, Clock = nullptr;
};

TEST_F(TrayRefresh, SweepsTheFirstNotificationToolbarOnce) {
    HWND first = Toolbar(50, 200, 30);
    ToolbarProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(first, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
    HWND second = Toolbar(260, 30, 30);

    RECT client = Client(first);
    ASSERT_GT(client.right, client.bottom);

    EnumChildWindows(Tray, EnumFunc, 0);

    ASSERT_EQ(Moves.size(), static_cast<size_t>(client.right));
    for (size_t i = 0; i < Moves.size(); ++i) {
        EXPECT_EQ(Moves[i].x, static_cast<LONG>(i + 1));
        EXPECT_EQ(Moves[i].y, client.bottom / 2);
    }
    // The taskbar's descendants up to the notification area, then its own up to the toolbar.
    EXPECT_EQ(Trace(), (std::vector<std::wstring>{
                           Line(L"EnumFunc", Start), Line(L"EnumFunc", Notify),
                           Line(L"ProcessIcons", Clock), Line(L"ProcessIcons", first)}));
    (void)second;
}

TEST_F(TrayRefresh, AVerticalToolbarIsSweptTopToBottom) {
    HWND tb = Toolbar(50, 30, 120);
    ToolbarProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(tb, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
    RECT client = Client(tb);
    ASSERT_LT(client.right, client.bottom);
    EnumChildWindows(Tray, EnumFunc, 0);
    ASSERT_EQ(Moves.size(), static_cast<size_t>(client.bottom));
    EXPECT_EQ(Moves.front().x, client.right / 2);
    EXPECT_EQ(Moves.front().y, 1);
    EXPECT_EQ(Moves.back().y, client.bottom);
}

TEST_F(TrayRefresh, StartsWithItsOwnTraceLineAndNeverRaises) {
    struct TForm : TObject {
        std::wstring ClassName() const override { return L"TMainForm"; }
    } form;
    EXPECT_NO_THROW(RefreshTrayIcon(&form));
    ASSERT_FALSE(Appender.Messages.empty());
    EXPECT_EQ(Appender.Messages[0].getMessage(), L"RefreshTrayIcon");
    EXPECT_EQ(Appender.Messages[0].getModule(), L"TMainForm");
}

} // namespace

// Any program may make a window of the taskbar's class: one far larger than the screens, or
// one that answers slowly, does not hold the run. The sweep reaches the screens' size and
// stops there, and it goes on for two seconds and stops then.
TEST_F(TrayRefresh, AFakeTaskbarCannotHoldTheRun) {
    const int screen =
        std::max(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    HWND huge = Toolbar(0, 30000, 30);
    ToolbarProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(huge, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
    RefreshTrayIcon(nullptr);
    EXPECT_GT(Client(huge).right, screen);
    EXPECT_EQ(Moves.size(), static_cast<size_t>(screen));
    DestroyWindow(huge);

    Moves.clear();
    HWND slow = Toolbar(0, 700, 30);
    ToolbarProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(slow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SlowProc)));
    const ULONGLONG start = GetTickCount64();
    RefreshTrayIcon(nullptr);
    const ULONGLONG took = GetTickCount64() - start;
    // 700 answers of 20 ms would take 14 s. Each answer comes in time, so the sweep goes on,
    // point by point from the toolbar's start, for its two seconds and no longer.
    EXPECT_GE(took, 1900u);
    EXPECT_LT(took, 3000u);
    EXPECT_GE(Moves.size(), 20u);
    EXPECT_LT(Moves.size(), 700u);
    for (size_t i = 0; i < Moves.size(); ++i)
        ASSERT_EQ(Moves[i].x, static_cast<LONG>(i + 1)) << i;
}
