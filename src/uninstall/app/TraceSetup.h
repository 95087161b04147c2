#pragma once

// Sets up the trace of the run: the debug monitor always, the text file beside the executable
// when TextFile is set; then writes the first entry, "Trace system initialized.". A text file
// that cannot be written is switched off and the run goes on; the warning is a message box,
// or a trace line when Quiet.
void SetUpTrace(bool TextFile, bool Quiet);
