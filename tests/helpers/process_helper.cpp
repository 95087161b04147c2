// A program the process tests start under the suite's names. Every mode ends by itself.
//   process_helper sleep MS         sleeps MS, then exits
//   process_helper protect MS       refuses every access to itself but waiting and naming,
//                                   so that it cannot be opened to be ended; then sleeps MS
//   process_helper guard EXE MS     for MS, starts "EXE sleep MS" again whenever it has ended,
//                                   as a guardian that keeps a program running
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

int Guard(const std::wstring& Exe, DWORD Ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < Ms) {
        std::wstring line = L"\"" + Exe + L"\" sleep " + std::to_wstring(Ms);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(Exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &info))
            return 2;
        CloseHandle(info.hThread);
        WaitForSingleObject(info.hProcess, Ms);
        CloseHandle(info.hProcess);
    }
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
    if (mode == L"guard" && argc > 3)
        return Guard(argv[2], Number(argv[3]));
    return 100;
}
