// A library of the tests' COM server, loaded with it. Alone it is a library without
// DllUnregisterServer.
#include <windows.h>

namespace {

wchar_t GPath[MAX_PATH];

} // namespace

// The full path this copy of the library was loaded from.
extern "C" __declspec(dllexport) const wchar_t* ComDepPath() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&GPath), &self);
    GetModuleFileNameW(self, GPath, MAX_PATH);
    return GPath;
}
