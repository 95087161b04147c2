#include "sys/services/ServiceManager.h"

#include "core/SystemError.h"

#include <vector>

void TServiceManager::Report(const std::wstring& Message) {
    FLastMessage = Message;
    if (FOnMessage)
        FOnMessage(*this, Message);
}

bool TServiceManager::Open(DWORD ManagerAccess, DWORD ServiceAccess) {
    // The handles of an earlier Open go now; until this one succeeds, nothing is open.
    FOpened = false;
    FServiceHandle.Reset();
    FSCMHandle.Reset();
    FManagerAccess = ManagerAccess;
    FServiceAccess = ServiceAccess | SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG;
    FSCMHandle.Reset(
        OpenSCManagerW(FMachineName.c_str(), SERVICES_ACTIVE_DATABASEW, FManagerAccess));
    if (!FSCMHandle) {
        Report(L"SCM Open SC Manager failed");
        return false;
    }
    FServiceHandle.Reset(OpenServiceW(FSCMHandle.Get(), FServiceName.c_str(), FServiceAccess));
    if (!FServiceHandle) {
        Report(L"SCM Open Service failed");
        return false;
    }
    Report(StateAsString());
    FOpened = true;
    return true;
}

bool TServiceManager::Close() {
    bool closed =
        CloseServiceHandle(FServiceHandle.Release()) && CloseServiceHandle(FSCMHandle.Release());
    if (!closed) {
        Report(L"SCM Close failed");
        return false;
    }
    FOpened = false;
    Report(L"SCM Closed");
    return true;
}

DWORD TServiceManager::State() {
    CheckBool(QueryServiceStatus(FServiceHandle.Get(), &FServiceStatus), L"GetServiceState failed");
    return FServiceStatus.dwCurrentState;
}

std::wstring TServiceManager::StateText(DWORD State) {
    switch (State) {
    case SERVICE_STOPPED:
        return L"The service is not running.";
    case SERVICE_START_PENDING:
        return L"The service is starting.";
    case SERVICE_STOP_PENDING:
        return L"The service is stopping.";
    case SERVICE_RUNNING:
        return L"The service is running.";
    case SERVICE_CONTINUE_PENDING:
        return L"The service continue is pending.";
    case SERVICE_PAUSE_PENDING:
        return L"The service pause is pending.";
    case SERVICE_PAUSED:
        return L"The service is paused.";
    default:
        return L"Unknown state condition";
    }
}

std::wstring TServiceManager::StateAsString() {
    std::wstring text = StateText(State());
    Report(text);
    return text;
}

bool TServiceManager::IsOpen() {
    if (!FOpened)
        return false;
    DWORD state = State();
    return state >= SERVICE_STOPPED && state <= SERVICE_PAUSED;
}

bool TServiceManager::RequestAndWait(const std::function<bool()>& Request, DWORD Awaited,
                                     DWORD Timeout, const wchar_t* Operation, const wchar_t* Done) {
    const DWORD start = GetTickCount();
    if (!Request()) {
        Report(std::wstring(Operation) + L" failed");
        return false;
    }
    // The state is asked before the first pause, so a request carried out at once costs none.
    while (State() != Awaited) {
        Sleep(100);
        if (GetTickCount() - start > Timeout) {
            Report(std::wstring(Operation) + L" failed (Timeout)");
            return false;
        }
    }
    Report(Done);
    return true;
}

bool TServiceManager::Start(DWORD Timeout) {
    return RequestAndWait([this] { return StartServiceW(FServiceHandle.Get(), 0, nullptr) != 0; },
                          SERVICE_RUNNING, Timeout, L"Service start", L"Service started");
}

bool TServiceManager::Stop(DWORD Timeout) {
    return RequestAndWait(
        [this] {
            return ControlService(FServiceHandle.Get(), SERVICE_CONTROL_STOP, &FServiceStatus) != 0;
        },
        SERVICE_STOPPED, Timeout, L"Service stop", L"Service stopped");
}

bool TServiceManager::Control(DWORD Code, const wchar_t* Done, const wchar_t* Failed) {
    bool ok = ControlService(FServiceHandle.Get(), Code, &FServiceStatus);
    Report(ok ? Done : Failed);
    return ok;
}

bool TServiceManager::Stop() {
    return Control(SERVICE_CONTROL_STOP, L"Service stopped", L"Service stop failed");
}

bool TServiceManager::Pause() {
    return Control(SERVICE_CONTROL_PAUSE, L"Service paused", L"Service pause failed");
}

bool TServiceManager::Continue() {
    return Control(SERVICE_CONTROL_CONTINUE, L"Service continued", L"Service continue failed");
}

DWORD TServiceManager::QueryStartType(const wchar_t* What) {
    // 1024 bytes hold a usual configuration; a longer one gets the room it asks for.
    std::vector<BYTE> buffer(1024);
    DWORD needed = 0;
    while (!QueryServiceConfigW(FServiceHandle.Get(),
                                reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()),
                                static_cast<DWORD>(buffer.size()), &needed)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
            RaiseSystemError(What, GetLastError());
        buffer.resize(needed);
    }
    return reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data())->dwStartType;
}

TStartType TServiceManager::StartType() {
    return static_cast<TStartType>(QueryStartType(L"GetServiceStartType failed"));
}

void TServiceManager::SetStartType(TStartType Value) {
    if (QueryStartType(L"SetServiceStartType failed") == static_cast<DWORD>(Value))
        return;
    CheckBool(ChangeServiceConfigW(FServiceHandle.Get(), SERVICE_NO_CHANGE,
                                   static_cast<DWORD>(Value), SERVICE_NO_CHANGE, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr),
              L"SetServiceStartType failed");
}
