// Program entry: reads the switches, sets up the trace and, unless another uninstaller runs,
// carries out the script: quietly, or in the main window until it closes.
#include "core/Exception.h"
#include "logging/Logger.h"
#include "sys/com/ComInit.h"
#include "sys/processes/DllSearch.h"
#include "sys/processes/SingleInstance.h"
#include "sys/shared/StdOut.h"
#include "uninstall/app/AlreadyRunning.h"
#include "uninstall/app/CommandLine.h"
#include "uninstall/app/SilentRun.h"
#include "uninstall/app/TraceSetup.h"
#include "uninstall/engine/ExitCodes.h"
#include "uninstall/report/RunReport.h"
#include "uninstall/ui/ApplicationError.h"
#include "uninstall/ui/MainForm.h"

#include <windows.h>

namespace {

// A failure outside the run: traced (the debug monitor has it even before the trace is set
// up), in the report, and shown in an error box unless the run is quiet.
int Failed(bool Quiet, TRunReport& Report, const std::exception& e) {
    const std::wstring text = ApplicationErrorText(ExceptionMessage(e));
    GetLogger().DbMon().SetActive(true);
    GetLogger().Write(TSenderText{L"Main"}, text, ttError);
    Report.SetRunError(text);
    Report.Write(nullptr, ExitFailed);
    if (!Quiet)
        ShowApplicationError(nullptr, text);
    return ExitFailed;
}

// A file the command line named cannot be written: nothing runs, and the one who started the
// program learns why on standard error, in the trace, in the report where it can be written
// and, with the window, in a box.
int OutputFileFailed(const TCommandLine& Options, TRunReport& Report, const wchar_t* What,
                     const std::wstring& Path, const std::wstring& Reason) {
    const std::wstring text = std::wstring(L"The ") + What + L" \"" + Path +
                              L"\" cannot be written (" + Reason + L"). Nothing was removed.";
    StdOut::WriteErrorLine(text);
    GetLogger().Write(TSenderText{L"Main"}, text, ttError);
    Report.SetRunError(text);
    Report.Write(nullptr, ExitFailed);
    if (!Options.Quiet)
        ShowApplicationError(nullptr, text);
    return ExitFailed;
}

// A switch that wants a path came without one: nothing runs, and standard error says which.
int SwitchFailed(const TCommandLine& Options) {
    const std::wstring text = Options.Error + L" Nothing was removed.";
    StdOut::WriteErrorLine(text);
    GetLogger().DbMon().SetActive(true);
    GetLogger().Write(TSenderText{L"Main"}, text, ttError);
    if (!Options.Quiet)
        ShowApplicationError(nullptr, text);
    return ExitFailed;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    // Reading the command line is text work of a library loaded with the program.
    const TCommandLine options = ParseCommandLine(GetCommandLineW());
    TRunReport report(options.ReportPath, options.Arguments, options.Preview);
    // Before anything loads a library by name: never from the program's own folder, where a
    // downloaded uninstaller may have company.
    try {
        SetDefaultDllSearch();
    } catch (const std::exception& e) {
        return Failed(options.Quiet, report, e);
    }
    if (!options.Error.empty())
        return SwitchFailed(options);
    TComInit com;
    try {
        TSingleInstance single(UninstallerMutexName);
        // A second instance leaves the trace file to the first, which holds it open: its own
        // lines go to the debug monitor only. Nor does it replace the report of the run under
        // way, where both name the same file.
        if (!single.First()) {
            SetUpTrace(false, options.Quiet, L"");
            if (!report.UnderWay() && report.Prepare(false).empty()) {
                report.SetRunError(L"Another uninstaller is running; this one did nothing.");
                report.Write(nullptr, ExitAlreadyRunning);
            }
            return ReportAlreadyRunning(options.Quiet);
        }
        const std::wstring reportFailure = report.Prepare();
        const std::wstring logFailure = SetUpTrace(options.Trace, options.Quiet, options.LogPath);
        if (!logFailure.empty())
            return OutputFileFailed(options, report, L"log file", options.LogPath, logFailure);
        if (!reportFailure.empty())
            return OutputFileFailed(options, report, L"report file", options.ReportPath,
                                    reportFailure);
        if (single.Taken())
            GetLogger().Write(TSenderText{L"Main"},
                              L"Another account holds the name of the uninstaller's mutex; it "
                              L"is passed over.",
                              ttWarning);
        if (options.Quiet)
            return RunSilently(options, report);
        TMainForm form(instance, options.Preview, &report);
        return form.Run(show);
    } catch (const std::exception& e) {
        return Failed(options.Quiet, report, e);
    }
}
