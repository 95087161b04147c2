#include "support/ProcessSupport.h"

#include "core/Text.h"

#include <psapi.h>

#include <algorithm>
#include <stdexcept>

namespace test {

TProgramCopies::TProgramCopies(const std::wstring& ExeName, const std::wstring& Source)
    : FPath(FFolder.Path() + ExeName) {
    std::wstring source = Source.empty() ? HelperPath(L"process_helper.exe") : Source;
    if (!CopyFileW(source.c_str(), FPath.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + WideToUtf8(source));
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    if (!CreatePipe(FInputRead.Put(), FInputWrite.Put(), &inherit, 0))
        throw std::runtime_error("CreatePipe failed");
    SetHandleInformation(FInputWrite.Get(), HANDLE_FLAG_INHERIT, 0);
}

TProgramCopies::~TProgramCopies() {
    for (auto& process : FProcesses)
        TerminateProcess(process.Get(), 1);
    for (auto& process : FProcesses)
        WaitForSingleObject(process.Get(), 10000);
}

DWORD TProgramCopies::Start(const std::wstring& Arguments) {
    std::wstring line = L"\"" + FPath + L"\" " + Arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = FInputRead.Get();
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(FPath.c_str(), &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info))
        throw std::runtime_error("cannot start " + WideToUtf8(FPath));
    CloseHandle(info.hThread);
    FProcesses.emplace_back(info.hProcess);
    return info.dwProcessId;
}

size_t TProgramCopies::Running() const {
    return std::count_if(FProcesses.begin(), FProcesses.end(), [](const TKernelHandle& process) {
        return WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
    });
}

bool TProgramCopies::AllEnded(DWORD TimeoutMs) const {
    DWORD start = GetTickCount();
    for (const auto& process : FProcesses) {
        DWORD spent = GetTickCount() - start;
        if (WaitForSingleObject(process.Get(), spent < TimeoutMs ? TimeoutMs - spent : 0) !=
            WAIT_OBJECT_0)
            return false;
    }
    return true;
}

namespace {

std::vector<DWORD> ProcessIds() {
    std::vector<DWORD> ids(8192);
    DWORD bytes = 0;
    if (!EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes))
        throw std::runtime_error("EnumProcesses failed");
    ids.resize(bytes / sizeof(DWORD));
    return ids;
}

} // namespace

bool WaitUntilProtected(DWORD ProcessId, DWORD TimeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        TKernelHandle probe(OpenProcess(PROCESS_ALL_ACCESS, FALSE, ProcessId));
        if (!probe)
            return true;
        if (GetTickCount() - start > TimeoutMs)
            return false;
        Sleep(50);
    }
}

size_t ProcessCount() {
    return ProcessIds().size();
}

int ProcessListPosition(DWORD ProcessId) {
    std::vector<DWORD> ids = ProcessIds();
    auto at = std::find(ids.begin(), ids.end(), ProcessId);
    return at == ids.end() ? -1 : static_cast<int>(at - ids.begin());
}

} // namespace test
