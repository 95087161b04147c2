#include "support/EnvSupport.h"

#include "support/TestSupport.h"

#include <stdexcept>

namespace test {

namespace {

const wchar_t* const ConfigClassKey = L"CLSID\\{BA6C7476-ED44-459E-8EE7-9DF4E075F850}";

HKEY CreateKey(HKEY Root, const std::wstring& Path, REGSAM View) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(Root, Path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | View, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("RegCreateKeyEx failed");
    return key;
}

void SetValue(HKEY Root, const std::wstring& Path, const std::wstring& Name, DWORD Type,
              const void* Data, DWORD Size, REGSAM View) {
    HKEY key = CreateKey(Root, Path, View);
    LONG rc = RegSetValueExW(key, Name.empty() ? nullptr : Name.c_str(), 0, Type,
                             static_cast<const BYTE*>(Data), Size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        throw std::runtime_error("RegSetValueEx failed");
}

} // namespace

void WriteRegString(HKEY Root, const std::wstring& Path, const std::wstring& Name,
                    const std::wstring& Value, REGSAM View, DWORD Type) {
    SetValue(Root, Path, Name, Type, Value.c_str(),
             static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t)), View);
}

void WriteRegDword(HKEY Root, const std::wstring& Path, const std::wstring& Name, DWORD Value,
                   REGSAM View) {
    SetValue(Root, Path, Name, REG_DWORD, &Value, sizeof(Value), View);
}

std::wstring ReadRegString(HKEY Root, const std::wstring& Path, const std::wstring& Name,
                           REGSAM View) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(Root, Path.c_str(), 0, KEY_QUERY_VALUE | View, &key) != ERROR_SUCCESS)
        return L"";
    wchar_t text[1024] = {};
    DWORD size = sizeof text - sizeof(wchar_t), type = REG_NONE;
    const LSTATUS status =
        RegQueryValueExW(key, Name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) ? text : L"";
}

void DeleteRegTree(HKEY Root, const std::wstring& Path, REGSAM View) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(Root, Path.c_str(), 0, KEY_ALL_ACCESS | View, &key) != ERROR_SUCCESS)
        return;
    RegDeleteTreeW(key, nullptr);
    RegCloseKey(key);
    RegDeleteKeyExW(Root, Path.c_str(), View, 0);
}

TConfigComponent::TConfigComponent(const std::wstring& OfficeId) {
    std::wstring server = std::wstring(ConfigClassKey) + L"\\InprocServer32";
    WriteRegString(HKEY_CLASSES_ROOT, server, L"", HelperPath(L"env_config.dll"));
    WriteRegString(HKEY_CLASSES_ROOT, server, L"ThreadingModel", L"Both");
    SetEnvironmentVariableW(L"NRV_TEST_OFFICE_ID", OfficeId.c_str());
}

TConfigComponent::~TConfigComponent() {
    DeleteRegTree(HKEY_CLASSES_ROOT, ConfigClassKey);
    SetEnvironmentVariableW(L"NRV_TEST_OFFICE_ID", nullptr);
}

TRunningProcess::TRunningProcess(const std::wstring& CommandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring line = CommandLine;
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info))
        throw std::runtime_error("cannot start helper");
    CloseHandle(info.hThread);
    FProcess = info.hProcess;
}

TRunningProcess::~TRunningProcess() {
    TerminateProcess(FProcess, 1);
    WaitForSingleObject(FProcess, 10000);
    CloseHandle(FProcess);
}

bool WaitForFile(const std::wstring& Path, DWORD TimeoutMs) {
    DWORD start = GetTickCount();
    while (!FileExists(Path)) {
        if (GetTickCount() - start > TimeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

} // namespace test
