#pragma once

// How a run ends, as the program's exit code. The values are those deployment tools know from
// installers, so that they can act on them without a table of this program's own.
enum TExitCode : int {
    ExitSuccess = 0,
    // The run succeeded; what was in use is deleted at the next restart, which is still due.
    ExitRestartNeeded = 3010,
    // The run succeeded and the restart it needs has been asked for.
    ExitRestartStarted = 1641,
    // The run ended by an error or showed error lines.
    ExitFailed = 1603,
    // Another uninstaller was running; this one did nothing.
    ExitAlreadyRunning = 1618,
};
