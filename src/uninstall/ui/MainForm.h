#pragma once
#include "core/Handle.h"
#include "core/Object.h"
#include "uninstall/ui/Pictures.h"
#include "uninstall/ui/ShadowLabel.h"
#include "uninstall/engine/UninstallView.h"

#include <windows.h>

#include <memory>
#include <string>

class TRunReport;
class TUninstallEngine;

// The uninstaller's one window: welcome texts, "Uninstall" and "Close", two status lines, the
// error list and the restart offer. It owns the engine that runs the script and shows what
// the engine reports.
class TMainForm : public TObject, public IUninstallView {
public:
    // A preview form runs the script as a preview: it changes nothing and offers no restart.
    // Report, when given, is written when the window closes and before a restart.
    explicit TMainForm(HINSTANCE Instance, bool Preview = false, TRunReport* Report = nullptr);
    ~TMainForm() override;
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    std::wstring ClassName() const override { return L"TMainForm"; }
    HWND Handle() const { return FWindow.Get(); }

    // Runs until the window has closed, then writes the report. The exit code is ExitFailed
    // when the run ended by an error, else ExitSuccess.
    int Run(int Show);

    // The view the engine reports through.
    void ShowStatus(int Line, const std::wstring& Text) override;
    void AddErrorLine(const std::wstring& Text) override;
    void ProcessMessages() override;

private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK PanelProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Handle(UINT Msg, WPARAM wParam, LPARAM lParam);

    void CreateControls();
    // The title label as wide as its text is drawn, inside the client area.
    void FitTitle(const std::wstring& Title);
    HWND Panel(int Id, HWND Parent, RECT Bounds);
    HWND Control(const wchar_t* Class, const wchar_t* Text, DWORD Style, int Id, HWND Parent,
                 RECT Bounds, HFONT Font);
    int Scale(int Value) const;
    RECT Scale(RECT Value) const;
    void PaintPanel(HWND Panel, HDC dc);
    bool KeyPressed(const MSG& Msg);
    void SetDefaultButton(HWND Button);
    void Click(HWND Button);
    void DrawStatus2(const DRAWITEMSTRUCT& Item);

    void FormCreate();
    void btn_UninstallClick();
    void btn_CancelClick();
    bool FormClose(); // false when the close is abandoned
    void FormDestroy();
    void RunUninstall();

    HINSTANCE FInstance;
    HWND im_Left = nullptr, pn_Buttons = nullptr, pn_ClientArea = nullptr;
    HWND btn_Uninstall = nullptr, btn_Cancel = nullptr;
    HWND st_Title = nullptr, st_Status_1 = nullptr, st_Status_2 = nullptr;
    HWND ErrorLog = nullptr, cb_Restart = nullptr;
    // The button Enter presses when the focus is on no push button: "Uninstall" before the
    // run, "Close" after it.
    HWND FDefault = nullptr;
    std::unique_ptr<TNorvaShadowLabel> ShadowLabel;
    TGdiPlus FGdiPlus;
    TPicture Image1{L"BANNER"};
    TPicture Image2{L"LOGO"};
    TFontHandle FFont, FTitleFont, FStatusFont;
    TBrushHandle FWhite;
    int FDpi = 96;
    // While the script runs the window and its controls show the hourglass.
    bool FRunning = false;
    // The run ended by an error: the program's exit code says so.
    bool FRunFailed = false;
    std::unique_ptr<TUninstallEngine> FEngine;
    // Written at the end of the run's window, and before a restart; none for a test's form.
    TRunReport* FReport = nullptr;
    // Last, so that it goes first: the window's last messages still find every member above.
    // Bound at WM_NCCREATE, released at WM_NCDESTROY.
    TWindowHandle FWindow;
};
