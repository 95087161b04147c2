#include "uninstall/ui/TrayRefresh.h"
#include "core/Text.h"
#include "logging/Logger.h"

#include <algorithm>
#include <string>

namespace {

constexpr ULONGLONG SweepLimitMs = 2000;
constexpr UINT MoveAnswerMs = 100;

bool HasClass(HWND wnd, const wchar_t* name) {
    wchar_t buffer[256] = {};
    GetClassNameW(wnd, buffer, 256);
    return SameTextAscii(buffer, name);
}

int HandleNumber(HWND wnd) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(wnd));
}

} // namespace

void RefreshTrayIcon(const TObject* Sender) {
    GetLogger().Write(Sender, L"RefreshTrayIcon", ttInformation);
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (tray)
        EnumChildWindows(tray, EnumFunc, 0);
}

BOOL CALLBACK EnumFunc(HWND wnd, LPARAM) {
    GetLogger().Write(L"EnumFunc wnd=%d", {HandleNumber(wnd)}, ttInformation);
    if (!HasClass(wnd, L"TrayNotifyWnd"))
        return TRUE;
    EnumChildWindows(wnd, ProcessIcons, 0);
    return FALSE;
}

BOOL CALLBACK ProcessIcons(HWND wnd, LPARAM) {
    GetLogger().Write(L"ProcessIcons wnd=%d", {HandleNumber(wnd)}, ttInformation);
    if (!HasClass(wnd, L"ToolbarWindow32"))
        return TRUE;
    RECT rect = {};
    GetClientRect(wnd, &rect);
    // Along the longer side, through the middle of the shorter one, so that the pointer
    // passes over every icon of a horizontal or a vertical taskbar. Any program may make a
    // window of the taskbar's class: the sweep goes no further than the screens reach and
    // lasts two seconds at most, and a window that does not answer ends it.
    const bool horizontal = rect.right >= rect.bottom;
    const int screen =
        std::max(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    const int length = std::min<int>(std::max<int>(rect.right, rect.bottom), screen);
    const ULONGLONG deadline = GetTickCount64() + SweepLimitMs;
    for (int i = 1; i <= length && GetTickCount64() < deadline; ++i) {
        int x = horizontal ? i : rect.right / 2;
        int y = horizontal ? rect.bottom / 2 : i;
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG,
                                 MoveAnswerMs, &result))
            break;
    }
    return FALSE;
}
