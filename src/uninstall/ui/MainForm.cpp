#include "uninstall/ui/MainForm.h"
#include "core/Exception.h"
#include "core/Format.h"
#include "core/SystemError.h"
#include "logging/Logger.h"
#include "logging/support/DateFormat.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/engine/ExitCodes.h"
#include "uninstall/report/RunReport.h"
#include "uninstall/ui/DrawnText.h"
#include "uninstall/ui/MainFormLayout.h"

#include <commctrl.h>

#include <algorithm>

namespace L = MainFormLayout;

namespace {

const wchar_t* const MainFormClass = L"TMainForm";
const wchar_t* const PanelClass = L"TPanel";
const wchar_t* const Caption = L"Talveno Connect - Uninstall";

TFontHandle MakeFont(int PixelHeight, bool Bold) {
    LOGFONTW lf = {};
    lf.lfHeight = -PixelHeight;
    lf.lfWeight = Bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcscpy(lf.lfFaceName, L"Tahoma");
    return TFontHandle(CreateFontIndirectW(&lf));
}

void RegisterClasses(HINSTANCE Instance, WNDPROC MainFormProc, WNDPROC PanelProc) {
    static bool done = false;
    if (done)
        return;
    done = true;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSW wc = {};
    wc.hInstance = Instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpfnWndProc = MainFormProc;
    wc.lpszClassName = MainFormClass;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    RegisterClassW(&wc);
    wc.lpfnWndProc = PanelProc;
    wc.lpszClassName = PanelClass;
    wc.hIcon = nullptr;
    RegisterClassW(&wc);
}

int ScreenDpi() {
    TWindowDC screen(nullptr);
    return GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

// A window that could not be made ends the construction, with the system's reason.
HWND Created(HWND Window) {
    if (!Window)
        throw Exception(Format(L"CreateWindowEx failed (%s)", {SystemErrorText(GetLastError())}));
    return Window;
}

// The form a window of its classes belongs to: the creation parameter, kept in the window's
// user data from WM_NCCREATE on. Messages before that (WM_GETMINMAXINFO of the main window)
// find none.
TMainForm* FormOf(HWND Window, UINT Msg, LPARAM lParam) {
    if (Msg == WM_NCCREATE) {
        void* form = reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams;
        SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        return static_cast<TMainForm*>(form);
    }
    return reinterpret_cast<TMainForm*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
}

} // namespace

TMainForm::TMainForm(HINSTANCE Instance, bool Preview, TRunReport* Report)
    : FInstance(Instance), FEngine(std::make_unique<TUninstallEngine>(*this)), FReport(Report) {
    FEngine->SetPreview(Preview);
    RegisterClasses(Instance, &WindowProc, &PanelProc);
    FDpi = ScreenDpi();
    FFont = MakeFont(Scale(11), false);
    FTitleFont = MakeFont(Scale(15), true);
    FStatusFont = MakeFont(Scale(13), false);
    FWhite = TBrushHandle(CreateSolidBrush(RGB(255, 255, 255)));

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_CONTROLPARENT;
    RECT outer = {0, 0, Scale(L::ClientWidth), Scale(L::ClientHeight)};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    // FWindow takes the window at WM_NCCREATE, so a later failure still destroys it.
    Created(CreateWindowExW(exStyle, MainFormClass, Caption, style, 0, 0, outer.right - outer.left,
                            outer.bottom - outer.top, nullptr, nullptr, Instance, this));
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
    CreateControls();
    FormCreate();
}

TMainForm::~TMainForm() = default;

int TMainForm::Scale(int Value) const {
    return MulDiv(Value, FDpi, 96);
}

RECT TMainForm::Scale(RECT Value) const {
    return {Scale(Value.left), Scale(Value.top), Scale(Value.right), Scale(Value.bottom)};
}

HWND TMainForm::Panel(int Id, HWND Parent, RECT Bounds) {
    HWND panel = Created(CreateWindowExW(
        WS_EX_CONTROLPARENT, PanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, Bounds.left,
        Bounds.top, Bounds.right - Bounds.left, Bounds.bottom - Bounds.top, Parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), FInstance, this));
    SendMessageW(panel, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
    return panel;
}

HWND TMainForm::Control(const wchar_t* Class, const wchar_t* Text, DWORD Style, int Id, HWND Parent,
                        RECT Bounds, HFONT Font) {
    RECT r = Scale(Bounds);
    HWND control = Created(CreateWindowExW(
        0, Class, Text, WS_CHILD | Style, r.left, r.top, r.right - r.left, r.bottom - r.top, Parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), FInstance, nullptr));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
    return control;
}

void TMainForm::FitTitle(const std::wstring& Title) {
    TWindowDC dc(st_Title);
    TSelectObject font(dc.Get(), FTitleFont.Get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.Get(), &metrics);
    RECT panel;
    GetClientRect(pn_ClientArea, &panel);
    const int room = panel.right - Scale(L::Title.x) - Scale(L::TitleRightMargin);
    const int width = std::min(DrawnWidth(FTitleFont.Get(), Title) + 1, room);
    SetWindowPos(st_Title, nullptr, 0, 0, width, metrics.tmHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMainForm::CreateControls() {
    const int width = Scale(L::ClientWidth), height = Scale(L::ClientHeight);
    const int buttons = Scale(L::ButtonsHeight), left = Scale(L::LeftWidth);
    im_Left = Panel(idImLeft, Handle(), {0, 0, left, height - buttons});
    pn_Buttons = Panel(idPnButtons, Handle(), {0, height - buttons, width, height});
    pn_ClientArea = Panel(idPnClientArea, Handle(), {left, 0, width, height - buttons});

    ShadowLabel = std::make_unique<TNorvaShadowLabel>(pn_Buttons);
    ShadowLabel->SetBounds(0, buttons - Scale(L::ShadowLabelHeight), width,
                           Scale(L::ShadowLabelHeight));
    ShadowLabel->SetAlignment(taLeftJustify);
    ShadowLabel->SetIndent(Scale(10));
    ShadowLabel->SetText(L"Talveno Connect");
    ShadowLabel->SetStyle(bsLowered);

    // BS_NOTIFY: the buttons report their focus, which moves the default with it.
    btn_Uninstall =
        Control(L"BUTTON", L"Uninstall", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY,
                idBtnUninstall, pn_Buttons, L::BtnUninstall, FFont.Get());
    btn_Cancel = Control(L"BUTTON", L"Close", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY,
                         idBtnCancel, pn_Buttons, L::BtnCancel, FFont.Get());
    FDefault = btn_Uninstall;
    SetDefaultButton(FDefault);

    const std::wstring title = L"Welcome to the Uninstall Talveno Connect program.";
    const std::wstring ready = L"Click \"Uninstall\" to remove Talveno Connect.";
    // As wide as its text is drawn, and never past the client area: one line that is never
    // wrapped, as the measure of a face may be wider than what is drawn.
    st_Title = Control(L"STATIC", title.c_str(), WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX,
                       idStTitle, pn_ClientArea,
                       {L::Title.x, L::Title.y, L::Title.x + 1, L::Title.y + 1}, FTitleFont.Get());
    FitTitle(title);
    // Status line 1 takes the width of the client area: its text changes during the run.
    RECT status1 = {L::Status1.x, L::Status1.y, L::ClientWidth - L::LeftWidth - 8,
                    L::Status1.y + 17};
    st_Status_1 = Control(L"STATIC", ready.c_str(), WS_VISIBLE | SS_LEFT | SS_NOPREFIX, idStStatus1,
                          pn_ClientArea, status1, FStatusFont.Get());
    st_Status_2 = Control(L"STATIC", L"", WS_VISIBLE | SS_OWNERDRAW, idStStatus2, pn_ClientArea,
                          L::Status2, FFont.Get());
    ErrorLog = Control(L"EDIT", L"",
                       WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                           ES_AUTOHSCROLL | ES_READONLY,
                       idErrorLog, pn_ClientArea, L::ErrorLog, FFont.Get());
    cb_Restart = Control(L"BUTTON", L"Restart computer", WS_TABSTOP | BS_AUTOCHECKBOX | BS_NOTIFY,
                         idCbRestart, pn_ClientArea, L::CbRestart, FFont.Get());
}

LRESULT CALLBACK TMainForm::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TMainForm* form = FormOf(hwnd, msg, lParam);
    if (!form)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE:
        form->FWindow.Reset(hwnd);
        break;
    case WM_NCDESTROY:
        // The window's last message, however it was destroyed.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->FWindow.Release();
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return form->Handle(msg, wParam, lParam);
}

// Panels paint their pictures and caption and pass everything else to the window.
LRESULT CALLBACK TMainForm::PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TMainForm* form = FormOf(hwnd, msg, lParam);
    if (!form)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_PAINT: {
        TPaintDC dc(hwnd);
        form->PaintPanel(hwnd, dc.Get());
        return 0;
    }
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM:
        return SendMessageW(form->Handle(), msg, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void TMainForm::PaintPanel(HWND Panel, HDC dc) {
    if (Panel == im_Left) {
        RECT client;
        GetClientRect(Panel, &client);
        if (Image1.Loaded()) {
            // Scaled down proportionally to the panel's width, from the top.
            int h = MulDiv(client.right, Image1.Height(), Image1.Width());
            Image1.Draw(dc, {0, 0, client.right, h});
        }
        Image2.Draw(dc, Scale(L::Logo));
    } else if (Panel == pn_Buttons) {
        TSelectObject font(dc, FFont.Get());
        ShadowLabel->Paint(dc);
    }
}

LRESULT TMainForm::Handle(UINT Msg, WPARAM wParam, LPARAM lParam) {
    switch (Msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_SETFOCUS) {
            // The focused push button is the default; off the buttons, the form's own.
            HWND from = reinterpret_cast<HWND>(lParam);
            SetDefaultButton(from == btn_Uninstall || from == btn_Cancel ? from : FDefault);
            return 0;
        }
        if (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == 0) {
            // A command can also come from the keyboard (IDCANCEL for Esc) while its button is
            // disabled: during the run, or "Uninstall" after it.
            if (LOWORD(wParam) == idBtnUninstall) {
                if (IsWindowEnabled(btn_Uninstall))
                    btn_UninstallClick();
                return 0;
            }
            if (LOWORD(wParam) == idBtnCancel) {
                if (IsWindowEnabled(btn_Cancel))
                    btn_CancelClick();
                return 0;
            }
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(FWhite.Get());
    case WM_DRAWITEM: {
        auto item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != idStStatus2)
            break;
        DrawStatus2(*item);
        return TRUE;
    }
    case WM_SETCURSOR:
        // Child controls ask their parent first (DefWindowProc) and the panels pass it on, so
        // this answers for every part of the window.
        if (FRunning) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_SETTINGCHANGE:
    case WM_TIMECHANGE:
        // The trace reads the regional settings and the local-time bias once a minute; after
        // a change it reads them again at its next line.
        RefreshRegionalSettings();
        RefreshLocalTimeBias();
        break;
    case WM_CLOSE:
        // Alt+F4 and the like while the script runs: the window stays until "Close" may.
        if (!IsWindowEnabled(btn_Cancel))
            return 0;
        if (FormClose())
            FWindow.Reset();
        return 0;
    case WM_DESTROY:
        FormDestroy();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(Handle(), Msg, wParam, lParam);
}

int TMainForm::Run(int Show) {
    ShowWindow(Handle(), Show);
    UpdateWindow(Handle());
    SetFocus(btn_Uninstall);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (KeyPressed(msg) || (Handle() && IsDialogMessageW(Handle(), &msg)))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    const int code = static_cast<int>(msg.wParam);
    const int result = code == 0 && FRunFailed ? ExitFailed : code;
    if (FReport)
        FReport->Write(&FEngine->Records(), result);
    return result;
}

// Status line 2 wraps words; a text that does not fit, such as a long path, is shortened with
// an ellipsis in the middle instead.
void TMainForm::DrawStatus2(const DRAWITEMSTRUCT& Item) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(Item.hwndItem, buffer, 1024);
    HDC dc = Item.hDC;
    RECT area = Item.rcItem;
    FillRect(dc, &area, FWhite.Get());
    TSelectObject font(dc, FFont.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    const UINT common = DT_LEFT | DT_NOPREFIX;
    RECT need = area;
    DrawTextW(dc, buffer, -1, &need, common | DT_WORDBREAK | DT_CALCRECT);
    bool fits = need.bottom <= area.bottom && need.right <= area.right;
    DrawTextW(dc, buffer, -1, &area,
              fits ? common | DT_WORDBREAK : common | DT_SINGLELINE | DT_PATH_ELLIPSIS);
}

void TMainForm::FormCreate() {
    GetLogger().Write(this, L"FormCreate()", ttInformation);
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT outer;
    GetWindowRect(Handle(), &outer);
    POINT at = MainFormPosition({work.right - work.left, work.bottom - work.top},
                                {outer.right - outer.left, outer.bottom - outer.top});
    SetWindowPos(Handle(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowStatus(2, L"");
}

void TMainForm::btn_CancelClick() {
    GetLogger().Write(this, L"btn_CancelClick()", ttInformation);
    PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TMainForm::FormDestroy() {
    GetLogger().Write(this, L"FormDestroy()", ttInformation);
}

void TMainForm::ShowStatus(int Line, const std::wstring& Text) {
    SetWindowTextW(Line == 1 ? st_Status_1 : st_Status_2, Text.c_str());
}

void TMainForm::AddErrorLine(const std::wstring& Text) {
    ShowWindow(ErrorLog, SW_SHOW);
    int end = GetWindowTextLengthW(ErrorLog);
    std::wstring line = (end > 0 ? L"\r\n" : L"") + Text;
    SendMessageW(ErrorLog, EM_SETSEL, end, end);
    SendMessageW(ErrorLog, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
}

void TMainForm::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (KeyPressed(msg) || (Handle() && IsDialogMessageW(Handle(), &msg)))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The window's keys, taken before the dialog keys of the system: these run outside a dialog
// box, where Enter would press the default identifier rather than the focused button and Tab
// would take the default from every button. While the script runs no key reaches the window,
// so that no key and no access key presses anything.
bool TMainForm::KeyPressed(const MSG& Msg) {
    if (!Handle() || (Msg.hwnd != Handle() && !IsChild(Handle(), Msg.hwnd)))
        return false;
    const bool key = Msg.message == WM_KEYDOWN || Msg.message == WM_SYSKEYDOWN ||
                     Msg.message == WM_CHAR || Msg.message == WM_SYSCHAR ||
                     Msg.message == WM_KEYUP || Msg.message == WM_SYSKEYUP;
    if (!key)
        return false;
    if (FRunning)
        return true;
    if (Msg.message != WM_KEYDOWN)
        return false;
    switch (Msg.wParam) {
    case VK_TAB:
        if (HWND next = GetNextDlgTabItem(Handle(), GetFocus(), GetKeyState(VK_SHIFT) < 0))
            SetFocus(next);
        return true;
    case VK_RETURN: {
        HWND focus = GetFocus();
        Click(focus == btn_Uninstall || focus == btn_Cancel ? focus : FDefault);
        return true;
    }
    case VK_ESCAPE:
        Click(btn_Cancel);
        return true;
    default:
        return false;
    }
}

void TMainForm::Click(HWND Button) {
    if (IsWindowEnabled(Button))
        SendMessageW(Button, BM_CLICK, 0, 0);
}

void TMainForm::SetDefaultButton(HWND Button) {
    for (HWND b : {btn_Uninstall, btn_Cancel})
        SendMessageW(b, BM_SETSTYLE, b == Button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}
