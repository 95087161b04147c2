// An in-process COM server of the tests. Its DllUnregisterServer appends a line to the file
// named by the environment variable NRV_TEST_COM_RECORD: its own path, "|", and the path of the
// com_dep.dll it was loaded with. It returns S_OK, or E_FAIL when its file name holds "efail",
// S_FALSE when it holds "sfalse".
// A copy whose file name holds "crashunreg" writes through a null pointer in DllUnregisterServer,
// one whose name holds "crashmain" in its DllMain when it is loaded.
#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>

extern "C" __declspec(dllimport) const wchar_t* ComDepPath();

namespace {

std::wstring OwnPath() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&OwnPath), &self);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    return path;
}

void Record(const std::wstring& Line) {
    wchar_t file[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"NRV_TEST_COM_RECORD", file, MAX_PATH))
        return;
    HANDLE handle = CreateFileW(file, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return;
    std::wstring text = Line + L"\n";
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size() - 1), &written, nullptr);
    CloseHandle(handle);
}

bool NameHolds(const wchar_t* Part) {
    std::wstring self = OwnPath();
    std::wstring name = self.substr(self.find_last_of(L'\\') + 1);
    CharLowerBuffW(&name[0], static_cast<DWORD>(name.size()));
    return name.find(Part) != std::wstring::npos;
}

// An access violation: the address is read at run time, so the compiler cannot see the null
// pointer and put a trap instruction in the store's place.
void Crash() {
    volatile uintptr_t nowhere = 0;
    *reinterpret_cast<volatile int*>(nowhere) = 1;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD Reason, LPVOID) {
    if (Reason == DLL_PROCESS_ATTACH && NameHolds(L"crashmain"))
        Crash();
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
    Record(OwnPath() + L"|" + ComDepPath());
    if (NameHolds(L"crashunreg"))
        Crash();
    if (NameHolds(L"sfalse"))
        return S_FALSE;
    return NameHolds(L"efail") ? E_FAIL : S_OK;
}
