// A library a user might plant beside the uninstaller under the name version.dll: it offers the
// functions the program would import from the system's version.dll, and when it is loaded it
// writes "<its own path>.loaded", so a test sees that it ran.
#include <windows.h>

namespace {

void MarkLoaded(HMODULE Self) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(Self, path, MAX_PATH - 8);
    lstrcatW(path, L".loaded");
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE Self, DWORD Reason, LPVOID) {
    if (Reason == DLL_PROCESS_ATTACH)
        MarkLoaded(Self);
    return TRUE;
}

extern "C" __declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR, LPDWORD) {
    return 0;
}

extern "C" __declspec(dllexport) BOOL WINAPI GetFileVersionInfoW(LPCWSTR, DWORD, DWORD, LPVOID) {
    return FALSE;
}

extern "C" __declspec(dllexport) BOOL WINAPI VerQueryValueW(LPCVOID, LPCWSTR, LPVOID*, PUINT) {
    return FALSE;
}
