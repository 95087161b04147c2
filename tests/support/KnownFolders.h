#pragma once
#include <windows.h>

#include <shlobj.h>

#include <string>

namespace test {

// The folder the platform gives for a known folder id, as it gives it (no trailing
// backslash); empty when it has none. Tests compare the system folders the code works out
// with this, a way of asking of its own.
std::wstring KnownFolder(REFKNOWNFOLDERID Id);

} // namespace test
