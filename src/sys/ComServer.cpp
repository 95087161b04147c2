#include "sys/ComServer.h"

namespace ComServer {

namespace {

// The library's own folder and the system folder: never the program's folder (a downloads
// folder), the current folder or the search path, where anyone may have put a library.
constexpr DWORD SearchBesideAndSystem =
    LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;

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
    // A system without these search flags (Vista without its loader update) refuses the load:
    // better a server left registered than one whose imports are searched where users write.
    TModuleHandle module(LoadLibraryExW(Path.c_str(), nullptr, SearchBesideAndSystem));
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
