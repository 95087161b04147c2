// A program the process tests start under the suite's names. Every mode ends by itself.
//   process_helper sleep MS         sleeps MS, then exits
//   process_helper protect MS       refuses every access to itself but waiting and naming,
//                                   so that it cannot be opened to be ended; then sleeps MS
//   process_helper guard EXE MS N   for MS, keeps N copies of "EXE sleep MS" running, each
//                                   started again by a thread of its own as soon as it has ended:
//                                   a guardian that brings a program back faster than one can
//                                   end it
#include <windows.h>
#include <aclapi.h>

#include <cstdlib>
#include <string>

namespace {

DWORD Number(const wchar_t* Text) {
    return std::wcstoul(Text, nullptr, 10);
}

int Protect(DWORD Ms) {
    // An access-control list that grants everyone only SYNCHRONIZE and
    // PROCESS_QUERY_LIMITED_INFORMATION.
    alignas(DWORD) BYTE buffer[256];
    auto* acl = reinterpret_cast<ACL*>(buffer);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!InitializeAcl(acl, sizeof(buffer), ACL_REVISION) ||
        !AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
        return 2;
    AddAccessAllowedAce(acl, ACL_REVISION, SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                        everyone);
    DWORD result = SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT,
                                   DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                   nullptr, nullptr, acl, nullptr);
    FreeSid(everyone);
    if (result != ERROR_SUCCESS)
        return 3;
    Sleep(Ms);
    return 0;
}

HANDLE StartCopy(const std::wstring& Exe, DWORD Ms) {
    std::wstring line = L"\"" + Exe + L"\" sleep " + std::to_wstring(Ms);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(Exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

struct TSlot {
    std::wstring Exe;
    DWORD Ms;
    DWORD Start;
};

DWORD WINAPI KeepRunning(void* Parameter) {
    const auto* slot = static_cast<const TSlot*>(Parameter);
    while (GetTickCount() - slot->Start < slot->Ms) {
        HANDLE copy = StartCopy(slot->Exe, slot->Ms);
        if (!copy)
            return 2;
        WaitForSingleObject(copy, slot->Ms);
        CloseHandle(copy);
    }
    return 0;
}

int Guard(const std::wstring& Exe, DWORD Ms, DWORD Copies) {
    TSlot slot{Exe, Ms, GetTickCount()};
    HANDLE threads[MAXIMUM_WAIT_OBJECTS];
    Copies = Copies < MAXIMUM_WAIT_OBJECTS ? Copies : MAXIMUM_WAIT_OBJECTS;
    for (DWORD i = 0; i < Copies; ++i)
        threads[i] = CreateThread(nullptr, 0, KeepRunning, &slot, 0, nullptr);
    WaitForMultipleObjects(Copies, threads, TRUE, INFINITE);
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    int argc = __argc;
    wchar_t** argv = __wargv;
    std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"sleep" && argc > 2) {
        Sleep(Number(argv[2]));
        return 0;
    }
    if (mode == L"protect" && argc > 2)
        return Protect(Number(argv[2]));
    if (mode == L"guard" && argc > 4)
        return Guard(argv[2], Number(argv[3]), Number(argv[4]));
    return 100;
}
