#include "sys/ComServer.h"

namespace ComServer {

namespace {

constexpr DWORD SearchBesideAndSystem =
    LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;

// Restores the process's error mode however the load ends.
class TCriticalErrorsOff {
public:
    TCriticalErrorsOff() : FPrevious(GetErrorMode()) {
        SetErrorMode(FPrevious | SEM_FAILCRITICALERRORS);
    }
    ~TCriticalErrorsOff() { SetErrorMode(FPrevious); }
    TCriticalErrorsOff(const TCriticalErrorsOff&) = delete;
    TCriticalErrorsOff& operator=(const TCriticalErrorsOff&) = delete;

private:
    UINT FPrevious;
};

} // namespace

TModuleHandle Load(const std::wstring& Path, DWORD& Error) {
    TCriticalErrorsOff quiet;
    TModuleHandle module(LoadLibraryExW(Path.c_str(), nullptr, SearchBesideAndSystem));
    // A Vista without the loader update refuses the search flags; its nearest equal searches
    // the library's folder in place of the program's.
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER)
        module.Reset(LoadLibraryExW(Path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    Error = module ? ERROR_SUCCESS : GetLastError();
    return module;
}

std::optional<HRESULT> Unregister(HMODULE Module) {
    using TDllUnregisterServer = HRESULT(STDAPICALLTYPE*)();
    auto unregister = reinterpret_cast<TDllUnregisterServer>(
        reinterpret_cast<void*>(GetProcAddress(Module, "DllUnregisterServer")));
    if (!unregister)
        return std::nullopt;
    return unregister();
}

} // namespace ComServer
