// The main window's run: the "Uninstall" click and the restart on close.
#include "logging/Logger.h"
#include "sys/processes/Reboot.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/engine/ExitCodes.h"
#include "uninstall/report/RunReport.h"
#include "uninstall/ui/ApplicationError.h"
#include "uninstall/ui/MainForm.h"
#include "uninstall/ui/TrayRefresh.h"

namespace {

// The hourglass for the length of a run. SetCursor alone lasts only until the mouse moves:
// the flag makes the window answer WM_SETCURSOR with the hourglass too. At the end the
// window's own cursors come back, and the one shown before the run at once.
class TWaitCursor {
public:
    explicit TWaitCursor(bool& Running)
        : FRunning(Running), FPrevious(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {
        FRunning = true;
    }
    ~TWaitCursor() {
        FRunning = false;
        SetCursor(FPrevious);
    }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    bool& FRunning;
    HCURSOR FPrevious;
};

} // namespace

void TMainForm::btn_UninstallClick() {
    GetLogger().Write(this, L"btn_UninstallClick()", ttInformation);
    std::wstring failure;
    {
        TWaitCursor wait(FRunning);
        try {
            EnableWindow(btn_Uninstall, FALSE);
            EnableWindow(btn_Cancel, FALSE);
            RunUninstall();
        } catch (const std::exception& e) {
            failure = ExceptionMessage(e);
            FRunFailed = true;
            if (FReport)
                FReport->SetRunError(ApplicationErrorText(failure));
        }
        EnableWindow(btn_Cancel, TRUE);
        FDefault = btn_Cancel;
        SetDefaultButton(btn_Cancel);
        SetFocus(btn_Cancel);
    }
    if (FRunFailed)
        ShowApplicationError(Handle(), failure);
}

void TMainForm::RunUninstall() {
    FEngine->LoadXml();
    FEngine->RunScript();
    RefreshTrayIcon(this);
    FEngine->SetStatus(1, L"Uninstallation done.");
    FEngine->SetStatus(2, L"");
    // A preview has deleted nothing: nothing waits for a restart.
    if (!FEngine->Preview() && !FEngine->LockedFiles().empty()) {
        FEngine->SetStatus(2, L"The computer must be restarted to complete the uninstallation.");
        SendMessageW(cb_Restart, BM_SETCHECK, BST_CHECKED, 0);
        ShowWindow(cb_Restart, SW_SHOW);
        FEngine->DeleteLockedFiles();
    }
    FEngine->CheckWhatIsLeft();
}

bool TMainForm::FormClose() {
    GetLogger().Write(this, L"FormClose()", ttInformation);
    if (SendMessageW(cb_Restart, BM_GETCHECK, 0, 0) != BST_CHECKED)
        return true;
    // The restart ends this process with the window's exit code: the report is written first.
    // The window's end writes it again if the restart is refused.
    if (FReport)
        FReport->Write(&FEngine->Records(), FRunFailed ? ExitFailed : ExitSuccess);
    try {
        Reboot(); // ends the process when the restart is accepted
    } catch (const std::exception& e) {
        ShowApplicationError(Handle(), ExceptionMessage(e));
        return false;
    }
}
