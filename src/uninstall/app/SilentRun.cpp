#include "uninstall/app/SilentRun.h"
#include "core/Exception.h"
#include "logging/Logger.h"
#include "sys/Procs.h"
#include "uninstall/app/SilentView.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/engine/ExitCodes.h"
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
    if (Engine.Preview() || Engine.LockedFiles().empty())
        return false;
    Engine.SetStatus(2, L"The computer must be restarted to complete the uninstallation.");
    return Engine.DeleteLockedFiles() > 0;
}

} // namespace

int RunSilently(const TCommandLine& Options) {
    TSilentView view;
    TUninstallEngine engine(view);
    engine.SetPreview(Options.Preview);
    GetLogger().Write(&engine, L"RunSilently()", ttInformation);
    bool restart = false;
    try {
        restart = Uninstall(engine);
    } catch (const std::exception& e) {
        // What the window would show in its error box.
        GetLogger().Write(&engine, ApplicationErrorText(ExceptionMessage(e)), ttError);
        return ExitFailed;
    }
    if (view.ErrorLines() > 0) {
        GetLogger().Write(&engine, L"The run showed %d error line(s).", {view.ErrorLines()},
                          ttError);
        return ExitFailed;
    }
    if (!restart)
        return ExitSuccess;
    if (Options.ForceRestart) {
        try {
            Reboot(ExitRestartStarted); // ends the process when the restart is accepted
        } catch (const std::exception&) {
            // Traced as it was raised; the restart is still due.
        }
    }
    return ExitRestartNeeded;
}
