#include "sys/processes/ProcessLookup.h"

#include "core/Exception.h"
#include "core/SystemError.h"
#include "core/Text.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <vector>

namespace {

// The platform is asked once, for the life of the process.
DWORD PlatformId() {
    static const DWORD id = [] {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (!GetVersionExW(&info))
            return static_cast<DWORD>(VER_PLATFORM_WIN32_NT);
#pragma GCC diagnostic pop
        return info.dwPlatformId;
    }();
    return id;
}

// The identifiers of all running processes. The buffer starts at the classic 201 entries and
// doubles while the list fills it, so that no process is left out on a busy machine.
std::vector<DWORD> ProcessIds() {
    std::vector<DWORD> ids(201);
    for (;;) {
        DWORD bytes = 0;
        if (!EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes))
            throw Exception(SystemErrorText(GetLastError()));
        if (bytes < ids.size() * sizeof(DWORD)) {
            ids.resize(bytes / sizeof(DWORD));
            return ids;
        }
        ids.resize(ids.size() * 2);
    }
}

// The executable's file name: the first module's base name, else the image name's file part
// (a 32-bit program cannot read the modules of a 64-bit process); empty when neither reads.
std::wstring ExecutableName(HANDLE Process) {
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (EnumProcessModules(Process, &module, sizeof(module), &needed)) {
        wchar_t name[261] = {};
        if (GetModuleBaseNameW(Process, module, name, 261))
            return name;
    }
    std::vector<wchar_t> image(MAX_PATH);
    for (;;) {
        DWORD size = static_cast<DWORD>(image.size());
        if (QueryFullProcessImageNameW(Process, 0, image.data(), &size))
            return FileNameOf(std::wstring(image.data(), size));
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || image.size() >= 32768)
            return L"";
        image.resize(image.size() * 2);
    }
}

} // namespace

bool ProcessNameMatches(const std::wstring& ExeName, const std::wstring& Name) {
    return SameTextAscii(ExeName, Name);
}

bool FindProcess(const std::wstring& Name, TKernelHandle& Handle) {
    if (PlatformId() == VER_PLATFORM_WIN32_NT)
        return FindProcessByModule(Name, Handle);
    return FindProcessBySnapshot(Name, Handle);
}

bool FindProcessByModule(const std::wstring& Name, TKernelHandle& Handle) {
    Handle.Reset();
    for (DWORD id : ProcessIds()) {
        // Full access, as the step will terminate it; what cannot be opened so is never found.
        TKernelHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, id));
        if (!process)
            continue;
        if (ProcessNameMatches(ExecutableName(process.Get()), Name)) {
            Handle = std::move(process);
            return true;
        }
    }
    return false;
}

std::vector<DWORD> FindProcessIds(const std::wstring& Name) {
    std::vector<DWORD> found;
    for (DWORD id : ProcessIds()) {
        TKernelHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, id));
        if (process && ProcessNameMatches(ExecutableName(process.Get()), Name))
            found.push_back(id);
    }
    return found;
}

bool FindProcessBySnapshot(const std::wstring& Name, TKernelHandle& Handle) {
    Handle.Reset();
    TFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (ProcessNameMatches(FileNameOf(entry.szExeFile), Name)) {
            Handle.Reset(OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
            return true;
        }
    }
    return false;
}

bool Process32Stop(HANDLE Handle) {
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(Handle, &exitCode) || exitCode != STILL_ACTIVE)
        return false;
    CheckBool(TerminateProcess(Handle, 0xFFFFFFFF), L"Process32Stop TerminateProcess failed");
    return true;
}

bool WaitForProcessEnd(HANDLE Handle, DWORD TimeoutMs) {
    return WaitForSingleObject(Handle, TimeoutMs) == WAIT_OBJECT_0;
}

uint64_t ProcessCreationTime(HANDLE Handle) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(Handle, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

uint64_t SystemTimeNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}
