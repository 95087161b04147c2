// Program entry: reads the switches, sets up the trace and, unless another uninstaller runs,
// carries out the script: quietly, or in the main window until it closes.
#include "core/Exception.h"
#include "logging/Logger.h"
#include "sys/ComInit.h"
#include "sys/DllSearch.h"
#include "sys/SingleInstance.h"
#include "sys/StdOut.h"
#include "uninstall/app/AlreadyRunning.h"
#include "uninstall/app/CommandLine.h"
#include "uninstall/app/SilentRun.h"
#include "uninstall/app/TraceSetup.h"
#include "uninstall/engine/ExitCodes.h"
#include "uninstall/ui/ApplicationError.h"
#include "uninstall/ui/MainForm.h"

#include <windows.h>

namespace {

// A failure outside the run: traced (the debug monitor has it even before the trace is set
// up), and shown in an error box unless the run is quiet.
int Failed(bool Quiet, const std::exception& e) {
    const std::wstring text = ApplicationErrorText(ExceptionMessage(e));
    GetLogger().DbMon().SetActive(true);
    GetLogger().Write(TSenderText{L"Main"}, text, ttError);
    if (!Quiet)
        ShowApplicationError(nullptr, text);
    return ExitFailed;
}

// The log file the command line named cannot be written: nothing runs, and the one who started
// the program learns why on standard error, in the trace and, with the window, in a box.
int LogFileFailed(const TCommandLine& Options, const std::wstring& Reason) {
    const std::wstring text = L"The log file \"" + Options.LogPath + L"\" cannot be written (" +
                              Reason + L"). Nothing was removed.";
    StdOut::WriteErrorLine(text);
    GetLogger().Write(TSenderText{L"Main"}, text, ttError);
    if (!Options.Quiet)
        ShowApplicationError(nullptr, text);
    return ExitFailed;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    // Reading the command line is text work of a library loaded with the program.
    const TCommandLine options = ParseCommandLine(GetCommandLineW());
    // Before anything loads a library by name: never from the program's own folder, where a
    // downloaded uninstaller may have company.
    try {
        SetDefaultDllSearch();
    } catch (const std::exception& e) {
        return Failed(options.Quiet, e);
    }
    TComInit com;
    try {
        TSingleInstance single(UninstallerMutexName);
        // A second instance leaves the trace file to the first, which holds it open: its own
        // lines go to the debug monitor only.
        const std::wstring logFailure =
            SetUpTrace(options.Trace && single.First(), options.Quiet, options.LogPath);
        if (!logFailure.empty())
            return LogFileFailed(options, logFailure);
        if (single.Taken())
            GetLogger().Write(TSenderText{L"Main"},
                              L"Another account holds the name of the uninstaller's mutex; it "
                              L"is passed over.",
                              ttWarning);
        if (!single.First())
            return ReportAlreadyRunning(options.Quiet);
        if (options.Quiet)
            return RunSilently(options);
        TMainForm form(instance, options.Preview);
        return form.Run(show);
    } catch (const std::exception& e) {
        return Failed(options.Quiet, e);
    }
}
