#pragma once

// The mutex every uninstaller of the suite holds while it runs, in every session.
inline constexpr wchar_t UninstallerMutexName[] = L"Global\\Talveno.Uninstall.Running";

// Tells that another uninstaller runs and this one does nothing: a message box, or a trace
// line when Quiet. Returns the exit code for it.
int ReportAlreadyRunning(bool Quiet);
