#pragma once
#include "uninstall/app/CommandLine.h"

class TRunReport;

// The quiet run: what a click on "Uninstall" does, without a window or a message box, traced
// as in the window. Returns the exit code: ExitSuccess; ExitRestartNeeded when files wait for
// the restart; ExitFailed when the run ended by an error or showed error lines. With
// ForceRestart a run that needs the restart asks for it and ends with ExitRestartStarted once
// the request is accepted. A preview schedules nothing and never restarts. Standard output
// ends with a summary line per group, and Report is written with the exit code.
int RunSilently(const TCommandLine& Options, TRunReport& Report);
