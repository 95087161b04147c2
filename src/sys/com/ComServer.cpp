#include "sys/com/ComServer.h"

#include "core/Exception.h"
#include "core/Format.h"
#include "sys/com/GuardedCall.h"

namespace ComServer {

namespace {

DWORD SearchFlags(TImportSearch Search) {
    return Search == TImportSearch::BesideAndSystem
               ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32
               : LOAD_LIBRARY_SEARCH_SYSTEM32;
}

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

// A crash in the server's code ends its call with an exception of ours.
void RunGuarded(void (*Call)(void*), void* Context, const wchar_t* Where) {
    if (DWORD code = GuardedCall::Run(Call, Context); code != 0)
        throw Exception(Format(L"exception %.8x in %s",
                               {static_cast<unsigned long>(code), std::wstring(Where)}));
}

} // namespace

TModuleHandle Load(const FileSystem::TProvenPath& Path, TImportSearch Search, DWORD& Error) {
    if (!Path.ChangedReason().empty()) {
        Error = ERROR_FILE_INVALID;
        return TModuleHandle();
    }
    TCriticalErrorsOff quiet;
    struct TLoad {
        const wchar_t* Path;
        DWORD Flags;
        HMODULE Module;
        DWORD Error;
    } load{Path.Path().c_str(), SearchFlags(Search), nullptr, ERROR_SUCCESS};
    // A system without these search flags (Vista without its loader update) refuses the load:
    // better a server left registered than one whose imports are searched where users write.
    RunGuarded(
        [](void* Context) {
            auto* l = static_cast<TLoad*>(Context);
            l->Module = LoadLibraryExW(l->Path, nullptr, l->Flags);
            l->Error = l->Module ? ERROR_SUCCESS : GetLastError();
        },
        &load, L"the library's start");
    Error = load.Error;
    return TModuleHandle(load.Module);
}

std::optional<HRESULT> Unregister(HMODULE Module) {
    using TDllUnregisterServer = HRESULT(STDAPICALLTYPE*)();
    struct TCall {
        TDllUnregisterServer Entry;
        HRESULT Result;
    } call{reinterpret_cast<TDllUnregisterServer>(
               reinterpret_cast<void*>(GetProcAddress(Module, "DllUnregisterServer"))),
           S_OK};
    if (!call.Entry)
        return std::nullopt;
    RunGuarded(
        [](void* Context) {
            auto* c = static_cast<TCall*>(Context);
            c->Result = c->Entry();
        },
        &call, L"DllUnregisterServer");
    return call.Result;
}

} // namespace ComServer
