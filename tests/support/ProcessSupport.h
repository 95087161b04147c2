#pragma once
#include "core/Handle.h"
#include "support/TestSupport.h"

#include <windows.h>

#include <string>
#include <vector>

namespace test {

// A program copied under a name of its own into a temporary folder and started as often as a
// test needs; every copy still running is ended when the object goes. The source is the tests'
// process helper unless another program is named.
class TProgramCopies {
public:
    explicit TProgramCopies(const std::wstring& ExeName, const std::wstring& Source = L"");
    ~TProgramCopies();
    TProgramCopies(const TProgramCopies&) = delete;
    TProgramCopies& operator=(const TProgramCopies&) = delete;

    const std::wstring& Path() const { return FPath; }
    // The file name of the copy.
    std::wstring Name() const { return FPath.substr(FPath.rfind(L'\\') + 1); }
    // Starts the copy with Arguments and returns its process id. Its standard input is a pipe
    // that stays open until the object goes, so a program that reads it waits.
    DWORD Start(const std::wstring& Arguments = L"sleep 120000");
    // How many of the started copies still run.
    size_t Running() const;
    // Waits up to TimeoutMs for every started copy to end.
    bool AllEnded(DWORD TimeoutMs) const;
    HANDLE Handle(size_t Index) const { return FProcesses[Index].Get(); }

private:
    TTempFolder FFolder;
    std::wstring FPath;
    TKernelHandle FInputRead, FInputWrite;
    std::vector<TKernelHandle> FProcesses;
};

// Where a process id stands in the system's process list; -1 when it is not listed.
int ProcessListPosition(DWORD ProcessId);
// Waits up to TimeoutMs until the process can no longer be opened with full access (the
// helper's "protect" mode).
bool WaitUntilProtected(DWORD ProcessId, DWORD TimeoutMs);
// How many processes the system lists.
size_t ProcessCount();

} // namespace test
