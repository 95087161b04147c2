#pragma once
#include <windows.h>

#include <shlobj.h>

#include <string>

namespace test {

// The folder the platform gives for a known folder id, as it gives it (no trailing
// backslash); empty when it has none. Tests compare the system folders the code works out
// with this, a way of asking of its own.
std::wstring KnownFolder(REFKNOWNFOLDERID Id);

// The folder of a CSIDL as SHGetSpecialFolderPathW gives it; empty when it has none.
std::wstring SpecialFolder(int Csidl);
// The Windows folder, without a trailing backslash.
std::wstring WindowsFolder();
// The platform's 8.3 spelling of an existing path.
std::wstring ShortName(const std::wstring& Path);

} // namespace test
