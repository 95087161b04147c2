#pragma once
#include <string>

// What the logging framework knows of its own process.
namespace ProcessInfo {

std::wstring ExePath();         // full path of the executable
std::wstring ExeFileName();     // name and extension, without folder
std::wstring ApplicationId();   // name without folder and extension
std::wstring InstanceId();      // process id, decimal
std::wstring CurrentThreadId(); // thread id, decimal
std::wstring UserName();        // user of the process; empty when it cannot be read
std::wstring HostName();        // NetBIOS computer name; empty when it cannot be read

} // namespace ProcessInfo
