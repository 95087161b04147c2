#include "uninstall/app/SilentRun.h"
#include "core/Exception.h"
#include "logging/Logger.h"
#include "sys/processes/Reboot.h"
#include "sys/shared/StdOut.h"
#include "uninstall/app/SilentView.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/engine/ExitCodes.h"
#include "uninstall/report/RunReport.h"
#include "uninstall/ui/ApplicationError.h"
#include "uninstall/ui/TrayRefresh.h"

namespace {

// The run as the window's "Uninstall" does it; true when files wait for the restart. A locked
// list of which nothing could be scheduled (a protected folder) needs no restart.
bool Uninstall(TUninstallEngine& Engine) {
    Engine.LoadXml();
    Engine.RunScript();
    RefreshTrayIcon(&Engine);
    Engine.SetStatus(1, L"Uninstallation done.");
    Engine.SetStatus(2, L"");
    if (Engine.Preview() || Engine.LockedFiles().empty()) {
        Engine.CheckWhatIsLeft();
        return false;
    }
    Engine.SetStatus(2, L"The computer must be restarted to complete the uninstallation.");
    const bool restart = Engine.DeleteLockedFiles() > 0;
    Engine.CheckWhatIsLeft();
    return restart;
}

// The exit code of a run that reached its end.
int ExitCodeOf(const TUninstallEngine& Engine, const TSilentView& View, bool Restart) {
    if (View.ErrorLines() > 0) {
        GetLogger().Write(&Engine, L"The run showed %d error line(s).", {View.ErrorLines()},
                          ttError);
        return ExitFailed;
    }
    return Restart ? ExitRestartNeeded : ExitSuccess;
}

// What a deployment tool reads back: the summary lines on standard output, then the report.
void Account(const TUninstallEngine& Engine, TRunReport& Report, int ExitCode) {
    for (const auto& line : Engine.Records().SummaryLines())
        StdOut::WriteLine(line);
    Report.Write(&Engine.Records(), ExitCode);
}

} // namespace

int RunSilently(const TCommandLine& Options, TRunReport& Report) {
    TSilentView view;
    TUninstallEngine engine(view);
    engine.SetPreview(Options.Preview);
    GetLogger().Write(&engine, L"RunSilently()", ttInformation);
    bool restart = false;
    try {
        restart = Uninstall(engine);
    } catch (const std::exception& e) {
        // What the window would show in its error box.
        const std::wstring text = ApplicationErrorText(ExceptionMessage(e));
        GetLogger().Write(&engine, text, ttError);
        Report.SetRunError(text);
        Account(engine, Report, ExitFailed);
        return ExitFailed;
    }
    const int code = ExitCodeOf(engine, view, restart);
    if (code != ExitRestartNeeded || !Options.ForceRestart) {
        Account(engine, Report, code);
        return code;
    }
    // The report says the restart was asked for before it ends this process.
    Account(engine, Report, ExitRestartStarted);
    try {
        Reboot(ExitRestartStarted); // ends the process when the restart is accepted
    } catch (const std::exception&) {
        // Traced as it was raised; the restart is still due.
    }
    Report.Write(&engine.Records(), ExitRestartNeeded);
    return ExitRestartNeeded;
}
