// Built into the quiet-run test variants: the restart request is recorded in
// "restart-request.txt" beside the program and answered "accepted", so the program ends as it
// would after a real one, and the test's Wine session goes on.
#include "sys/processes/Reboot.h"

#include <windows.h>

#include <string>

namespace {

BOOL WINAPI RecordRestart(UINT Flags, DWORD Reason) {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring file = exe;
    file = file.substr(0, file.rfind(L'\\') + 1) + L"restart-request.txt";
    const std::string text = "flags=" + std::to_string(Flags) + " reason=" + std::to_string(Reason);
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
    return TRUE;
}

[[maybe_unused]] const TExitWindowsFunc Replaced = SetExitWindowsFunc(RecordRestart);

} // namespace
