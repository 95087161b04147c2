// Drives the uninstaller's main window from outside, as a user would.
//   ui_driver wait                 wait until the window is shown and "Uninstall" is enabled
//   ui_driver click ID             BM_CLICK on the control with that id (posted, returns at once)
//   ui_driver wait-enabled ID      wait until the control is enabled
//   ui_driver state                print every control: id, class, visible, enabled, checked,
//                                  position in the window's client area, text
//   ui_driver uncheck ID           clears the check box with that id
//   ui_driver close                WM_CLOSE to the window
//   ui_driver message-box          print the text of the uninstaller's message box, if any,
//                                  and press its OK button
// Exit code 0 on success, 1 when the window or control is not found in time.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HWND MainWindow() {
    return FindWindowW(L"TMainForm", L"Talveno Connect - Uninstall");
}

struct TFindControl {
    int Id;
    HWND Found;
};

BOOL CALLBACK FindControlProc(HWND wnd, LPARAM p) {
    auto f = reinterpret_cast<TFindControl*>(p);
    if (GetDlgCtrlID(wnd) == f->Id) {
        f->Found = wnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindControl(HWND main, int id) {
    TFindControl find = {id, nullptr};
    EnumChildWindows(main, FindControlProc, reinterpret_cast<LPARAM>(&find));
    return find.Found;
}

template <class F> bool WaitFor(F condition, DWORD ms = 30000) {
    for (DWORD waited = 0; waited < ms; waited += 100) {
        if (condition())
            return true;
        Sleep(100);
    }
    return false;
}

std::string Utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Text(HWND wnd) {
    wchar_t buffer[4096] = {};
    SendMessageTimeoutW(wnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_BLOCK, 5000,
                        nullptr);
    return buffer;
}

BOOL CALLBACK PrintStateProc(HWND wnd, LPARAM p) {
    HWND main = reinterpret_cast<HWND>(p);
    wchar_t cls[64];
    GetClassNameW(wnd, cls, 64);
    RECT r;
    GetWindowRect(wnd, &r);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    bool checked = SendMessageTimeoutW(wnd, BM_GETCHECK, 0, 0, SMTO_BLOCK, 2000, nullptr) &&
                   SendMessageW(wnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    std::wstring text = Text(wnd);
    for (auto& c : text)
        if (c == L'\r' || c == L'\n')
            c = L'|';
    std::printf("%d\t%s\t%d\t%d\t%d\t%ld,%ld,%ld,%ld\t%s\n", GetDlgCtrlID(wnd), Utf8(cls).c_str(),
                IsWindowVisible(wnd) ? 1 : 0, IsWindowEnabled(wnd) ? 1 : 0, checked ? 1 : 0, r.left,
                r.top, r.right - r.left, r.bottom - r.top, Utf8(text).c_str());
    return TRUE;
}

void PrintState(HWND main) {
    EnumChildWindows(main, PrintStateProc, reinterpret_cast<LPARAM>(main));
}

struct TFindBox {
    DWORD Process;
    HWND Found;
};

BOOL CALLBACK FindMessageBoxProc(HWND wnd, LPARAM p) {
    auto f = reinterpret_cast<TFindBox*>(p);
    wchar_t cls[64];
    GetClassNameW(wnd, cls, 64);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid == f->Process && std::wstring(cls) == L"#32770" && IsWindowVisible(wnd)) {
        f->Found = wnd;
        return FALSE;
    }
    return TRUE;
}

// The uninstaller's message box: a dialog owned by its process with a static text.
HWND FindMessageBox(DWORD process) {
    TFindBox find = {process, nullptr};
    EnumWindows(FindMessageBoxProc, reinterpret_cast<LPARAM>(&find));
    return find.Found;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    std::wstring command = argv[1];
    HWND main = nullptr;
    if (!WaitFor([&] { return (main = MainWindow()) != nullptr && IsWindowVisible(main); })) {
        std::puts("window not found");
        return 1;
    }
    if (command == L"wait") {
        return WaitFor([&] { return IsWindowEnabled(FindControl(main, 1001)) != FALSE; }) ? 0 : 1;
    }
    if (command == L"state") {
        std::printf("caption\t%s\n", Utf8(Text(main)).c_str());
        PrintState(main);
        return 0;
    }
    if (command == L"close") {
        PostMessageW(main, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == L"message-box") {
        DWORD pid = 0;
        GetWindowThreadProcessId(main, &pid);
        HWND box = nullptr;
        if (!WaitFor([&] { return (box = FindMessageBox(pid)) != nullptr; }, 10000))
            return 1;
        wchar_t title[256];
        GetWindowTextW(box, title, 256);
        std::printf("title\t%s\n", Utf8(title).c_str());
        HWND text = GetDlgItem(box, 0xFFFF);
        std::printf("text\t%s\n", Utf8(text ? Text(text) : L"").c_str());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return 0;
    }
    if (argc < 3)
        return 2;
    int id = _wtoi(argv[2]);
    HWND control = nullptr;
    if (!WaitFor([&] { return (control = FindControl(main, id)) != nullptr; }))
        return 1;
    if (command == L"click") {
        PostMessageW(control, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == L"uncheck") {
        SendMessageW(control, BM_SETCHECK, BST_UNCHECKED, 0);
        return 0;
    }
    if (command == L"wait-enabled")
        return WaitFor([&] { return IsWindowEnabled(control) != FALSE; }, 120000) ? 0 : 1;
    return 2;
}
