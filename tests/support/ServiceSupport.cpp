#include "support/ServiceSupport.h"

#include "core/Handle.h"
#include "core/Text.h"

#include <stdexcept>

namespace test {

namespace {

TServiceHandle OpenManager() {
    TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        throw std::runtime_error("cannot open the service control manager");
    return manager;
}

bool WaitForState(SC_HANDLE Service, DWORD State, DWORD TimeoutMs) {
    DWORD start = GetTickCount();
    SERVICE_STATUS status{};
    while (QueryServiceStatus(Service, &status) && status.dwCurrentState != State) {
        if (GetTickCount() - start > TimeoutMs)
            return false;
        Sleep(50);
    }
    return status.dwCurrentState == State;
}

// Ends the service's process when it did not stop on request.
void EndServiceProcess(SC_HANDLE Service) {
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(Service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                              sizeof(status), &needed) ||
        status.dwProcessId == 0)
        return;
    TKernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, status.dwProcessId));
    if (process) {
        TerminateProcess(process.Get(), 1);
        WaitForSingleObject(process.Get(), 10000);
    }
}

// Stops the service (ending its process when it ignores the request), deletes it and its key.
void RemoveService(const std::wstring& Name) {
    if (TServiceHandle manager{OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)}) {
        TServiceHandle service(OpenServiceW(manager.Get(), Name.c_str(), SERVICE_ALL_ACCESS));
        if (service) {
            SERVICE_STATUS status{};
            if (ControlService(service.Get(), SERVICE_CONTROL_STOP, &status))
                WaitForState(service.Get(), SERVICE_STOPPED, 5000);
            EndServiceProcess(service.Get());
            DeleteService(service.Get());
        }
    }
    // A key left without its service would become one at the next start of the prefix.
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ServiceKey(Name).c_str());
}

} // namespace

std::wstring ServiceKey(const std::wstring& Name) {
    return L"SYSTEM\\CurrentControlSet\\Services\\" + Name;
}

std::wstring ReadWideFile(const std::wstring& Path) {
    std::string bytes = ReadTextFile(Path);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

TTestService::TTestService() : TTestService(TOptions{}) {}

TTestService::TTestService(const TOptions& Options)
    : FName(Options.Name.empty() ? UniqueName(L"UtSvc-") : Options.Name) {
    // What a failed earlier run left of a named service.
    if (!Options.Name.empty())
        RemoveService(FName);
    std::wstring folder =
        FFolder.Path() + (Options.Blanks ? L"Program Files\\Suite\\" : L"Suite\\");
    if (Options.Blanks)
        CreateDirectoryW((FFolder.Path() + L"Program Files").c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    FExe = folder + Options.ExeName;
    if (!CopyFileW(HelperPath(L"service_helper.exe").c_str(), FExe.c_str(), FALSE))
        throw std::runtime_error("cannot copy the service program");
    FImagePath = (Options.Form == Quoted ? L"\"" + FExe + L"\"" : FExe) + L" " + Options.Arguments;
    if (!Options.Register) {
        TRegKey key;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, ServiceKey(FName).c_str(), 0, nullptr, 0, KEY_WRITE,
                            nullptr, key.Put(), nullptr) != ERROR_SUCCESS ||
            RegSetValueExW(key.Get(), L"ImagePath", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(FImagePath.c_str()),
                           static_cast<DWORD>((FImagePath.size() + 1) * sizeof(wchar_t))) !=
                ERROR_SUCCESS)
            throw std::runtime_error("cannot write the service key");
        return;
    }
    TServiceHandle manager = OpenManager();
    TServiceHandle service(
        CreateServiceW(manager.Get(), FName.c_str(), FName.c_str(), SERVICE_ALL_ACCESS,
                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                       FImagePath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service)
        throw std::runtime_error("CreateServiceW failed: " + std::to_string(GetLastError()));
}

TTestService::~TTestService() {
    RemoveService(FName);
}

void TTestService::Start() {
    TServiceHandle manager = OpenManager();
    TServiceHandle service(OpenServiceW(manager.Get(), FName.c_str(), SERVICE_ALL_ACCESS));
    if (!service || !StartServiceW(service.Get(), 0, nullptr) ||
        !WaitForState(service.Get(), SERVICE_RUNNING, 10000))
        throw std::runtime_error("the service " + WideToUtf8(FName) + " does not start");
}

DWORD TTestService::State() const {
    TServiceHandle manager = OpenManager();
    TServiceHandle service(OpenServiceW(manager.Get(), FName.c_str(), SERVICE_QUERY_STATUS));
    SERVICE_STATUS status{};
    if (!service || !QueryServiceStatus(service.Get(), &status))
        return 0;
    return status.dwCurrentState;
}

bool TTestService::KeyExists() const {
    TRegKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, ServiceKey(FName).c_str(), 0, KEY_READ, key.Put()) ==
           ERROR_SUCCESS;
}

std::wstring TTestService::RemovalCommandLine() const {
    std::wstring record = FExe + L".remove.txt";
    return FileExists(record) ? ReadWideFile(record) : L"";
}

} // namespace test
