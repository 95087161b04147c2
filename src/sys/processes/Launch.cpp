#include "sys/processes/Launch.h"

#include "core/Exception.h"
#include "core/Handle.h"
#include "sys/processes/LaunchAndWait.h"
#include "sys/shared/Procs.h"

#include <vector>

namespace {

// Read directly after the failing call, before anything can change the last error.
std::wstring ErrorText(TLaunchErrors Errors) {
    return Errors == TLaunchErrors::Traced ? LastErrorText() : SystemErrorText(GetLastError());
}

[[noreturn]] void Raise(TLaunchErrors Errors, const std::wstring& Fmt, const TVarRecs& Args) {
    if (Errors == TLaunchErrors::Traced)
        DoException(Fmt, Args);
    throw Exception(Format(Fmt, Args));
}

struct TStartedProcess {
    TKernelHandle Process;
    TKernelHandle Thread;
    DWORD ProcessId = 0;
};

TStartedProcess Start(const std::wstring& CmdLine, WORD CmdShow, bool Suspended,
                      const std::wstring& Path, TLaunchErrors Errors,
                      const FileSystem::TProvenPath& Program) {
    if (std::wstring changed = Program.ChangedReason(); !changed.empty())
        Raise(Errors, L"LaunchAndWait \"%s\" failed (%s)", {CmdLine, changed});
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = CmdShow;
    PROCESS_INFORMATION info{};
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::vector<wchar_t> line(CmdLine.begin(), CmdLine.end());
    line.push_back(L'\0');
    if (!CreateProcessW(Program.Path().c_str(), line.data(), nullptr, nullptr, TRUE,
                        Suspended ? CREATE_SUSPENDED : 0, nullptr,
                        Path.empty() ? nullptr : Path.c_str(), &startup, &info)) {
        std::wstring error = ErrorText(Errors);
        Raise(Errors, L"LaunchAndWait \"%s\" failed (%s)", {CmdLine, error});
    }
    TStartedProcess started;
    started.Process.Reset(info.hProcess);
    started.Thread.Reset(info.hThread);
    started.ProcessId = info.dwProcessId;
    return started;
}

} // namespace

int LaunchProcess(const std::wstring& CmdLine, DWORD Timeout, WORD CmdShow, bool Suspended,
                  const std::wstring& Path, TLaunchErrors Errors,
                  const FileSystem::TProvenPath& Program) {
    TStartedProcess started = Start(CmdLine, CmdShow, Suspended, Path, Errors, Program);
    if (Suspended) {
        MapId(started.ProcessId, true, L"");
        if (ResumeThread(started.Thread.Get()) == static_cast<DWORD>(-1)) {
            std::wstring error = ErrorText(Errors);
            Raise(Errors, L"ResumeThread failed (%s)", {error});
        }
    }
    switch (WaitForSingleObject(started.Process.Get(), Timeout)) {
    case WAIT_FAILED:
        Raise(Errors, L"LaunchAndWait \"WaitForSingleObject\" failed)", {});
    case WAIT_TIMEOUT:
        Raise(Errors, L"LaunchAndWait timeout", {});
    default:
        break;
    }
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(started.Process.Get(), &exitCode)) {
        std::wstring error = ErrorText(Errors);
        Raise(Errors, L"GetExitCodeProcess \"%s\" failed (%s)", {CmdLine, error});
    }
    started.Thread.Reset();
    started.Process.Reset();
    return static_cast<int>(exitCode);
}
