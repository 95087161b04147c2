// A program the command and restart tests start.
//   procs_child exit CODE            exits with CODE (decimal, unsigned)
//   procs_child sleep MS FILE        sleeps MS, then writes its process id to FILE
//   procs_child cmdline FILE ...     writes its command line to FILE as UTF-16
//   procs_child cwd FILE             writes its current folder to FILE as UTF-16
//   procs_child hold FILE            opens FILE without sharing, creates FILE.held, sleeps
//   procs_child holdread FILE        as hold, but others may still read FILE
//   procs_child isserver ...         exits with 1 when IsServerEngine is true, else 0
//   procs_child reboot               Reboot with the restart request answered "accepted"
//   procs_child processes            prints the executable's file name of every process
#include "sys/processes/Reboot.h"
#include "sys/shared/Procs.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

void WriteWide(const wchar_t* file, const std::wstring& text) {
    HANDLE h = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(h);
}

BOOL WINAPI AcceptRestart(UINT Flags, DWORD Reason) {
    std::printf("restart requested flags=%u reason=%lu\n", Flags, Reason);
    std::fflush(stdout);
    return TRUE;
}

int Hold(const wchar_t* file, DWORD share) {
    HANDLE h = CreateFileW(file, GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 2;
    WriteWide((std::wstring(file) + L".held").c_str(), L"");
    Sleep(60000);
    CloseHandle(h);
    return 0;
}

void PrintProcesses() {
    DWORD ids[4096];
    DWORD bytes = 0;
    if (!EnumProcesses(ids, sizeof(ids), &bytes))
        return;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ids[i]);
        if (!process)
            continue;
        wchar_t image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (QueryFullProcessImageNameW(process, 0, image, &size)) {
            const wchar_t* name = std::wcsrchr(image, L'\\');
            std::printf("%ls\n", name ? name + 1 : image);
        }
        CloseHandle(process);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"exit" && argc > 2)
        return static_cast<int>(std::wcstoul(argv[2], nullptr, 10));
    if (mode == L"sleep" && argc > 3) {
        Sleep(std::wcstoul(argv[2], nullptr, 10));
        WriteWide(argv[3], std::to_wstring(GetCurrentProcessId()));
        return 0;
    }
    if (mode == L"cmdline" && argc > 2) {
        WriteWide(argv[2], GetCommandLineW());
        return 0;
    }
    if (mode == L"cwd" && argc > 2) {
        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, folder);
        WriteWide(argv[2], folder);
        return 0;
    }
    if (mode == L"hold" && argc > 2)
        return Hold(argv[2], 0);
    if (mode == L"holdread" && argc > 2)
        return Hold(argv[2], FILE_SHARE_READ);
    if (mode == L"processes") {
        PrintProcesses();
        return 0;
    }
    if (mode == L"isserver")
        return IsServerEngine() ? 1 : 0;
    if (mode == L"reboot") {
        SetExitWindowsFunc(AcceptRestart);
        try {
            Reboot();
        } catch (...) {
            std::printf("Reboot raised\n");
            return 3;
        }
        std::printf("Reboot returned\n");
        return 4;
    }
    return 100;
}
