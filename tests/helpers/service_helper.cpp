// A service program of the tests.
//   service_helper -service [-ignorestop] [-nostop] [-slowstart]
//       Run by the service control manager. Stops on request, or with -ignorestop accepts the
//       request and goes on running, or with -nostop does not accept it at all. Pauses and
//       continues on request. With -slowstart it says it is starting for a minute before it
//       runs. Ends by itself after three minutes.
//   service_helper -remove [keep] [rc=N] [sleep=MS] [words...]
//       Records its command line in "<this program>.remove.txt" and its current folder in
//       "<this program>.folder.txt" (both UTF-16), deletes every service
//       whose image is this program (not with keep), sleeps MS and exits with N (0 when not
//       given).
//   service_helper -install NAME [arguments...]
//       Registers this program as the service NAME (demand start, image path quoted, followed
//       by the arguments), starts it and waits up to 10 seconds for it to run. Exits with 0
//       when it runs.
#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

namespace {

const DWORD Lifetime = 180000;

SERVICE_STATUS_HANDLE StatusHandle = nullptr;
SERVICE_STATUS Status{};
HANDLE StopEvent = nullptr;
bool IgnoreStop = false;
bool NoStop = false;

std::wstring OwnPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring Lower(std::wstring Text) {
    for (auto& c : Text)
        c = static_cast<wchar_t>(std::towlower(c));
    return Text;
}

bool HasArgument(const wchar_t* Name) {
    for (int i = 1; i < __argc; ++i)
        if (std::wcscmp(__wargv[i], Name) == 0)
            return true;
    return false;
}

// The number after "Name=" among the arguments, or Default.
DWORD NumberArgument(const std::wstring& Name, DWORD Default) {
    for (int i = 1; i < __argc; ++i) {
        std::wstring argument = __wargv[i];
        if (argument.rfind(Name + L"=", 0) == 0)
            return std::wcstoul(argument.c_str() + Name.size() + 1, nullptr, 10);
    }
    return Default;
}

void SetState(DWORD State) {
    Status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    Status.dwCurrentState = State;
    Status.dwControlsAccepted =
        State == SERVICE_RUNNING || State == SERVICE_PAUSED
            ? (NoStop ? 0 : SERVICE_ACCEPT_STOP) | SERVICE_ACCEPT_PAUSE_CONTINUE
            : 0;
    Status.dwWin32ExitCode = NO_ERROR;
    Status.dwWaitHint = State == SERVICE_RUNNING || State == SERVICE_STOPPED ? 0 : 3000;
    SetServiceStatus(StatusHandle, &Status);
}

DWORD WINAPI Handler(DWORD Control, DWORD, void*, void*) {
    switch (Control) {
    case SERVICE_CONTROL_STOP:
        if (!IgnoreStop) {
            SetState(SERVICE_STOP_PENDING);
            SetEvent(StopEvent);
        }
        return NO_ERROR;
    case SERVICE_CONTROL_PAUSE:
        SetState(SERVICE_PAUSED);
        return NO_ERROR;
    case SERVICE_CONTROL_CONTINUE:
        SetState(SERVICE_RUNNING);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, wchar_t** Argv) {
    StatusHandle = RegisterServiceCtrlHandlerExW(Argv[0], Handler, nullptr);
    if (!StatusHandle)
        return;
    StopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (HasArgument(L"-slowstart")) {
        SetState(SERVICE_START_PENDING);
        Sleep(60000);
    }
    SetState(SERVICE_RUNNING);
    WaitForSingleObject(StopEvent, Lifetime);
    SetState(SERVICE_STOPPED);
}

int RunService() {
    IgnoreStop = HasArgument(L"-ignorestop");
    NoStop = HasArgument(L"-nostop");
    wchar_t name[] = L"";
    SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) ? 0 : 2;
}

void Record(const std::wstring& Text, const wchar_t* Suffix = L".remove.txt") {
    HANDLE file = CreateFileW((OwnPath() + Suffix).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, Text.data(), static_cast<DWORD>(Text.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(file);
}

// Whether a service's image path starts this program, quoted or not.
bool IsOwnImage(const std::wstring& ImagePath) {
    std::wstring image = Lower(ImagePath), own = Lower(OwnPath());
    return image.rfind(own, 0) == 0 || image.rfind(L"\"" + own + L"\"", 0) == 0;
}

void DeleteOwnServices() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE);
    if (!manager)
        return;
    DWORD needed = 0, count = 0, resume = 0;
    EnumServicesStatusW(manager, SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, &count,
                        &resume);
    std::vector<BYTE> buffer(needed + 1024);
    resume = 0;
    if (EnumServicesStatusW(manager, SERVICE_WIN32, SERVICE_STATE_ALL,
                            reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data()),
                            static_cast<DWORD>(buffer.size()), &needed, &count, &resume)) {
        auto* services = reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) {
            SC_HANDLE service =
                OpenServiceW(manager, services[i].lpServiceName, SERVICE_QUERY_CONFIG | DELETE);
            if (!service)
                continue;
            std::vector<BYTE> config(8192);
            if (QueryServiceConfigW(service,
                                    reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config.data()),
                                    static_cast<DWORD>(config.size()), &needed) &&
                IsOwnImage(
                    reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config.data())->lpBinaryPathName))
                DeleteService(service);
            CloseServiceHandle(service);
        }
    }
    CloseServiceHandle(manager);
}

int Remove() {
    Record(GetCommandLineW());
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    Record(folder, L".folder.txt");
    if (!HasArgument(L"keep"))
        DeleteOwnServices();
    Sleep(NumberArgument(L"sleep", 0));
    return static_cast<int>(NumberArgument(L"rc", 0));
}

int Install() {
    if (__argc < 3)
        return 100;
    std::wstring image = L"\"" + OwnPath() + L"\"";
    for (int i = 3; i < __argc; ++i)
        image += std::wstring(L" ") + __wargv[i];
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return 2;
    SC_HANDLE service =
        CreateServiceW(manager, __wargv[2], __wargv[2], SERVICE_ALL_ACCESS,
                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                       image.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    int rc = 3;
    if (service && StartServiceW(service, 0, nullptr)) {
        SERVICE_STATUS status{};
        for (int i = 0; i < 100 && rc != 0; ++i) {
            if (QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING)
                rc = 0;
            else
                Sleep(100);
        }
    }
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return rc;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    std::wstring mode = __argc > 1 ? __wargv[1] : L"";
    if (mode == L"-service")
        return RunService();
    if (mode == L"-remove")
        return Remove();
    if (mode == L"-install")
        return Install();
    return 100;
}
