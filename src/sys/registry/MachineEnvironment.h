#pragma once
#include <string>

// The machine's own variables, as the service manager expands a service's image path: the
// Windows folder (SystemRoot, windir, SystemDrive), the program folders and ProgramData as the
// machine's registry names them, and the machine's variables of the session manager. Never the
// process's environment, which the user who started the uninstaller may have set.
namespace MachineEnvironment {

// Text with each %NAME% of a machine variable replaced by its value (the name in any letter
// case); any other %...% stays as it is.
std::wstring Expand(const std::wstring& Text);

} // namespace MachineEnvironment
