#pragma once
#include <windows.h>

// Tells the running programs that the system's environment variables changed, as an installer
// does after writing them, so that they take the new search path for the programs they start.
// Every top-level window gets WM_SETTINGCHANGE for "Environment"; a window that does not answer
// within TimeoutMs is passed over, and a hung one is not waited for at all.
namespace SettingChange {

constexpr UINT EnvironmentTimeoutMs = 5000;

void BroadcastEnvironment(UINT TimeoutMs = EnvironmentTimeoutMs);

} // namespace SettingChange
