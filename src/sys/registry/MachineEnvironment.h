#pragma once
#include <windows.h>

#include <string>

// The machine's own variables, as the service manager expands a service's image path: the
// Windows folder (SystemRoot, windir, SystemDrive), the program folders and ProgramData as the
// machine's registry names them, and the machine's variables of the session manager. Never the
// process's environment, which the user who started the uninstaller may have set.
namespace MachineEnvironment {

// Text with each %NAME% of a machine variable replaced by its value (the name in any letter
// case); any other %...% stays as it is. View says whose folders: KEY_WOW64_64KEY those a
// 64-bit program sees (the service manager's), KEY_WOW64_32KEY those a 32-bit program sees,
// where "ProgramFiles" and "CommonProgramFiles" name the "(x86)" folders of a 64-bit system.
std::wstring Expand(const std::wstring& Text, REGSAM View);

} // namespace MachineEnvironment
