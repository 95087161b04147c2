#pragma once
#include <string>
#include <vector>

// The switches the program knows. Each is its name after "-" or "/", in any letter case
// ("/trace", "-TRACE"); anything else on the command line is ignored.
struct TCommandLine {
    // "trace": the trace goes to a text file beside the executable too.
    bool Trace = false;
    // "quiet" or "S": no window, no message box; the run starts at once.
    bool Quiet = false;
    // "forcerestart": a quiet run that succeeded and needs a restart asks for it.
    bool ForceRestart = false;
    // "preview": the run reports what it would do and changes nothing.
    bool Preview = false;
    // "log:<path>" or "log <path>": the trace file is that file, not one beside the executable;
    // implies "trace". As typed: a relative path is taken from the current folder later.
    std::wstring LogPath;
    // "report:<path>" or "report <path>": the report file of the run, written at its end.
    std::wstring ReportPath;
    // A switch that wants a value and has none ("/log" last, "/log /quiet", "/report:"): the
    // sentence that says so. The program then runs nothing.
    std::wstring Error;
    // Every argument after the program's name, as given.
    std::vector<std::wstring> Arguments;
};

// Reads a whole command line as the system passes it, the program's own name first.
TCommandLine ParseCommandLine(const std::wstring& CommandLine);
