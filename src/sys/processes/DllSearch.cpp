#include "sys/processes/DllSearch.h"

#include "core/SystemError.h"

#include <windows.h>

void SetDefaultDllSearch() {
    // Looked up rather than imported: a Vista without the loader update lacks the call, and
    // the program must still start there.
    using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
    auto setDefault = reinterpret_cast<TSetDefaultDllDirectories>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault) {
        CheckBool(setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32), L"SetDefaultDllDirectories failed");
        return;
    }
    // There the current folder at least leaves the search.
    CheckBool(SetDllDirectoryW(L""), L"SetDllDirectory failed");
}
