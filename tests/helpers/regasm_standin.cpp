// Stands in for the .NET registration tool: appends "<its own path>|<its command line>" to the
// file named by NRV_TEST_REGASM_RECORD and exits with the code in NRV_TEST_REGASM_RC (0 when
// unset).
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t file[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"NRV_TEST_REGASM_RECORD", file, MAX_PATH)) {
        if (FILE* out = _wfopen(file, L"a, ccs=UTF-8")) {
            std::fwprintf(out, L"%ls|%ls\n", self, GetCommandLineW());
            std::fclose(out);
        }
    }
    wchar_t rc[32] = {};
    if (GetEnvironmentVariableW(L"NRV_TEST_REGASM_RC", rc, 32))
        return static_cast<int>(std::wcstol(rc, nullptr, 10));
    return 0;
}
