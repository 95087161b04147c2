// Loads a library by name, as a program would, and says whether that worked:
//   dll_probe.exe <name> [default-search]
// With "default-search" the program's start-up search setting is made first.
#include "sys/processes/DllSearch.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    if (argc > 2 && std::wcscmp(argv[2], L"default-search") == 0)
        SetDefaultDllSearch();
    HMODULE module = LoadLibraryW(argv[1]);
    if (!module) {
        std::printf("not loaded %lu\n", GetLastError());
        return 1;
    }
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    std::printf("loaded %ls\n", path);
    return 0;
}
