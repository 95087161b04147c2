#pragma once
#include <windows.h>

#include <string>

namespace test {

// Registry writes for the tests. View is 0 (the 32-bit view this program reads) or
// KEY_WOW64_64KEY for a decoy in the other view.
void WriteRegString(HKEY Root, const std::wstring& Path, const std::wstring& Name,
                    const std::wstring& Value, REGSAM View = 0, DWORD Type = REG_SZ);
void WriteRegDword(HKEY Root, const std::wstring& Path, const std::wstring& Name, DWORD Value,
                   REGSAM View = 0);
// A string value; empty when it is not there.
std::wstring ReadRegString(HKEY Root, const std::wstring& Path, const std::wstring& Name,
                           REGSAM View = 0);
void DeleteRegTree(HKEY Root, const std::wstring& Path, REGSAM View = 0);

// Registers the tests' in-process configuration component (helper env_config.dll) under its
// fixed class id for the life of the object; the office number it gives is OfficeId.
class TConfigComponent {
public:
    explicit TConfigComponent(const std::wstring& OfficeId);
    ~TConfigComponent();
    TConfigComponent(const TConfigComponent&) = delete;
    TConfigComponent& operator=(const TConfigComponent&) = delete;
};

// A helper program started without waiting; ended and waited for when the object goes.
class TRunningProcess {
public:
    explicit TRunningProcess(const std::wstring& CommandLine);
    ~TRunningProcess();
    TRunningProcess(const TRunningProcess&) = delete;
    TRunningProcess& operator=(const TRunningProcess&) = delete;
    HANDLE Handle() const { return FProcess; }

private:
    HANDLE FProcess = nullptr;
};

// Waits up to TimeoutMs for a file to appear.
bool WaitForFile(const std::wstring& Path, DWORD TimeoutMs);

} // namespace test
