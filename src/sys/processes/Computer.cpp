#include "sys/processes/Computer.h"

#include "sys/processes/Launch.h"
#include "sys/shared/Procs.h"

// The command line goes to the platform as wide text: an ANSI conversion would silently alter
// paths holding characters outside the code page.
int TComputer::LaunchAndWait(const std::wstring& cmdline, DWORD Timeout, WORD CmdShow,
                             const std::wstring& Path, const FileSystem::TProvenPath& Program) {
    return LaunchProcess(cmdline, Timeout, CmdShow, false, Path, TLaunchErrors::Plain, Program);
}

std::wstring TComputer::GetComputerName() {
    return ComputerName();
}
