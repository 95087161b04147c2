// A stand-in for a system command (net.exe) that the command tests install under its name.
// Appends "<its own path>|<its command line>" as a UTF-16 line to the file named by
// STANDIN_RECORD, sleeps the milliseconds in STANDIN_SLEEP (none when unset), then exits with
// the code in STANDIN_EXIT (0 when unset).
#include <windows.h>

#include <cwchar>
#include <string>

int wmain() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t record[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"STANDIN_RECORD", record, MAX_PATH) > 0) {
        std::wstring line = std::wstring(self) + L"|" + GetCommandLineW() + L"\n";
        HANDLE h = CreateFileW(record, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0,
                               nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(h, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
                      nullptr);
            CloseHandle(h);
        }
    }
    wchar_t sleep[32] = {};
    if (GetEnvironmentVariableW(L"STANDIN_SLEEP", sleep, 32) > 0)
        Sleep(std::wcstoul(sleep, nullptr, 10));
    wchar_t code[32] = {};
    if (GetEnvironmentVariableW(L"STANDIN_EXIT", code, 32) > 0)
        return static_cast<int>(std::wcstoul(code, nullptr, 10));
    return 0;
}
