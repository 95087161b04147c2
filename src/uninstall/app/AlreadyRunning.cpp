#include "uninstall/app/AlreadyRunning.h"
#include "logging/Logger.h"
#include "logging/support/ProcessInfo.h"
#include "uninstall/engine/ExitCodes.h"

#include <windows.h>

int ReportAlreadyRunning(bool Quiet) {
    const wchar_t* const text = L"The uninstaller is already running.";
    GetLogger().Write(TSenderText{L"Main"}, text, ttWarning);
    if (!Quiet)
        MessageBoxW(nullptr, text, ProcessInfo::ApplicationId().c_str(), MB_OK | MB_ICONWARNING);
    return ExitAlreadyRunning;
}
