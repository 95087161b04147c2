#include "sys/processes/SettingChange.h"

namespace SettingChange {

void BroadcastEnvironment(UINT TimeoutMs) {
    // A courtesy: a program that misses it sees the new path when it next starts, so the
    // result is not looked at.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>(L"Environment"), SMTO_ABORTIFHUNG, TimeoutMs,
                        &result);
}

} // namespace SettingChange
