#include "sys/processes/LaunchAndWait.h"
#include "sys/processes/Launch.h"

int LaunchAndWait(const std::wstring& CmdLine, DWORD Timeout, WORD CmdShow, bool Suspended,
                  const std::wstring& Path, const FileSystem::TProvenPath& Program) {
    return LaunchProcess(CmdLine, Timeout, CmdShow, Suspended, Path, TLaunchErrors::Traced,
                         Program);
}

// The office-mapping server is not part of this program; a suspended start only keeps the
// place of this call between creation and resumption.
void MapId(DWORD, bool, const std::wstring&) {}
