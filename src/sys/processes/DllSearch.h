#pragma once

// Where the process looks for a library loaded by name: the system folder only, never the
// program's own folder or the current one, so that a library dropped beside the uninstaller
// (a downloads folder) is never loaded in place of the system's. Called first thing at start.
// Raises "SetDefaultDllDirectories failed (<system text>)".
void SetDefaultDllSearch();
