#pragma once
#include <string>

// Sets up the trace of the run: the debug monitor always, the text file when TextFile is set
// (LogPath, when given, else a file beside the executable); then writes the first entry,
// "Trace system initialized.". A file beside the executable that cannot be written is
// switched off and the run goes on; the warning is a message box, or a trace line when Quiet.
// One whose place other users can change (a link at its name, a folder of theirs) is not
// written at all, with a warning on the debug monitor.
// A LogPath the administrator asked for is made with its folders; when it cannot be written,
// the returned text says why and the run must not begin. Empty when all is well.
std::wstring SetUpTrace(bool TextFile, bool Quiet, const std::wstring& LogPath = L"");
