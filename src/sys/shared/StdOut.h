#pragma once
#include <string>

// Standard output and error of this window program, for the lines a user asked for on the command
// line.
namespace StdOut {

// Writes Text and a line break to standard output: as UTF-16 text to a console, as UTF-8 bytes
// to a file or pipe. A program started without a standard output first attaches to its
// parent's console, if there is one; without either the line goes nowhere. Never raises: the
// line is a courtesy, the trace keeps it anyway.
void WriteLine(const std::wstring& Text);
// The same on standard error, for what went wrong before the run could begin.
void WriteErrorLine(const std::wstring& Text);

} // namespace StdOut
