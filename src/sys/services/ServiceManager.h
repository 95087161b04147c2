#pragma once
#include "core/Handle.h"
#include "core/Object.h"

#include <windows.h>

#include <functional>
#include <string>

// The platform's start types, in their order (SERVICE_BOOT_START 0 ... SERVICE_DISABLED 4).
enum TStartType { stBootStart, stSystemStart, stAutoStart, stDemandStart, stDisabled };

class TServiceManager;
// Called with every message the manager reports.
using TSMMessageEvent = std::function<void(TServiceManager& Sender, const std::wstring& Message)>;

// One Windows service reached through the service control manager: opened with
// chosen rights, its state as a code and a sentence, start, stop, pause and continue, with or
// without waiting, and its start type. Every outcome is reported as a short message, kept as
// LastMessage and handed to OnMessage. Control requests and Open/Close report failure by
// result; only failed status and configuration queries raise. Its handles are closed when it
// goes, and when Open is called again.
class TServiceManager : public TObject {
public:
    TServiceManager() = default;
    TServiceManager(const TServiceManager&) = delete;
    TServiceManager& operator=(const TServiceManager&) = delete;

    std::wstring ClassName() const override { return L"TServiceManager"; }

    // Empty: the local computer.
    const std::wstring& MachineName() const { return FMachineName; }
    void SetMachineName(const std::wstring& Value) { FMachineName = Value; }
    const std::wstring& ServiceName() const { return FServiceName; }
    void SetServiceName(const std::wstring& Value) { FServiceName = Value; }
    void SetOnMessage(TSMMessageEvent Value) { FOnMessage = std::move(Value); }
    const std::wstring& LastMessage() const { return FLastMessage; }

    // Opens the manager with ManagerAccess and the service with ServiceAccess plus the rights
    // to query its status and configuration.
    bool Open(DWORD ManagerAccess, DWORD ServiceAccess);
    bool Close();

    // The service's current-state code (SERVICE_STOPPED 1 ... SERVICE_PAUSED 7); raises
    // "GetServiceState failed (<text>)" when it cannot be queried.
    DWORD State();
    // The state as a sentence, also reported.
    std::wstring StateAsString();
    // Opened, and in a known state; queries nothing when not opened.
    bool IsOpen();

    // Request, then poll the state every 100 ms until it is reached or Timeout ms have passed.
    bool Start(DWORD Timeout);
    bool Stop(DWORD Timeout);
    // Requests without waiting.
    bool Stop();
    bool Pause();
    bool Continue();

    // Raise "GetServiceStartType failed (<text>)" / "SetServiceStartType failed (<text>)".
    TStartType StartType();
    // An unchanged start type makes no change request.
    void SetStartType(TStartType Value);

    // The sentence for a state code, as StateAsString gives it.
    static std::wstring StateText(DWORD State);

private:
    void Report(const std::wstring& Message);
    bool Control(DWORD Code, const wchar_t* Done, const wchar_t* Failed);
    // Sends a request, then waits for Awaited as Start and Stop do.
    bool RequestAndWait(const std::function<bool()>& Request, DWORD Awaited, DWORD Timeout,
                        const wchar_t* Operation, const wchar_t* Done);
    // The start type from the service's configuration; failure raises "<What> (<text>)".
    DWORD QueryStartType(const wchar_t* What);

    TServiceHandle FSCMHandle;
    TServiceHandle FServiceHandle;
    std::wstring FMachineName;
    std::wstring FServiceName;
    SERVICE_STATUS FServiceStatus{};
    TSMMessageEvent FOnMessage;
    bool FOpened = false;
    DWORD FServiceAccess = 0;
    DWORD FManagerAccess = 0;
    std::wstring FLastMessage;
};
