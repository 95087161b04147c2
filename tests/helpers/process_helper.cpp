// A program the process tests start under the suite's names. Every mode ends by itself.
//   process_helper sleep MS         sleeps MS, then exits
//   process_helper protect MS       refuses every access to itself but waiting and naming,
//                                   so that it cannot be opened to be ended; then sleeps MS
//   process_helper guard EXE MS N TID
//                                   for MS, keeps N copies of "EXE sleep MS" running. When copies
//                                   end, it holds the thread TID (of the process that ends them)
//                                   until every replacement can be found: a guardian that always
//                                   brings its program back faster than one can end it, however
//                                   slowly programs start on this machine
//   process_helper pause EXE N MS TID [AGAIN]
//                                   starts N copies of "EXE sleep 120000"; each time one ends, it
//                                   holds the thread TID for MS: copies that each go promptly but
//                                   take long all together. With AGAIN, once all but the last
//                                   of them have ended it starts AGAIN new copies before it lets
//                                   the thread go on, and exits with 0 only when they could be
//                                   found
#include <windows.h>
#include <aclapi.h>
#include <psapi.h>

#include <cstdlib>
#include <string>
#include <vector>

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

HANDLE StartCopy(const std::wstring& Exe, DWORD Ms, DWORD* Id) {
    std::wstring line = L"\"" + Exe + L"\" sleep " + std::to_wstring(Ms);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(Exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return nullptr;
    CloseHandle(info.hThread);
    *Id = info.dwProcessId;
    return info.hProcess;
}

// Whether the process Id is one that the uninstaller's look-up finds under FileName: it can be
// opened with full access and its first module carries that name.
bool Findable(DWORD Id, const std::wstring& FileName) {
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, Id);
    if (!process)
        return false;
    HMODULE module = nullptr;
    DWORD needed = 0;
    wchar_t name[MAX_PATH] = {};
    bool found = EnumProcessModules(process, &module, sizeof(module), &needed) &&
                 GetModuleBaseNameW(process, module, name, MAX_PATH) &&
                 lstrcmpiW(name, FileName.c_str()) == 0;
    CloseHandle(process);
    return found;
}

// The copies of one program that the helper starts and watches.
class TCopies {
public:
    TCopies(const std::wstring& Exe, DWORD Ms)
        : FExe(Exe), FName(Exe.substr(Exe.find_last_of(L'\\') + 1)), FMs(Ms) {}
    ~TCopies() {
        for (HANDLE copy : FHandles)
            CloseHandle(copy);
    }

    // Starts a copy in slot Index (appending one when Index is the count); false when it cannot.
    bool Start(size_t Index) {
        DWORD id = 0;
        HANDLE copy = StartCopy(FExe, FMs, &id);
        if (!copy)
            return false;
        if (Index == FHandles.size()) {
            FHandles.push_back(copy);
            FIds.push_back(id);
        } else {
            CloseHandle(FHandles[Index]);
            FHandles[Index] = copy;
            FIds[Index] = id;
        }
        return true;
    }
    // Waits until every running copy can be found by its name.
    void WaitFindable() const {
        for (size_t i = 0; i < FIds.size(); ++i)
            while (WaitForSingleObject(FHandles[i], 0) == WAIT_TIMEOUT && !Findable(FIds[i], FName))
                Sleep(5);
    }
    // Waits up to TimeoutMs for a copy to end; the slots of every copy that has ended.
    std::vector<size_t> WaitEnded(DWORD TimeoutMs) const {
        std::vector<size_t> ended;
        if (FHandles.empty() ||
            WaitForMultipleObjects(static_cast<DWORD>(FHandles.size()), FHandles.data(), FALSE,
                                   TimeoutMs) == WAIT_TIMEOUT)
            return ended;
        for (size_t i = 0; i < FHandles.size(); ++i)
            if (WaitForSingleObject(FHandles[i], 0) == WAIT_OBJECT_0)
                ended.push_back(i);
        return ended;
    }
    size_t Count() const { return FHandles.size(); }

private:
    std::wstring FExe, FName;
    DWORD FMs;
    std::vector<HANDLE> FHandles;
    std::vector<DWORD> FIds;
};

// Holds the thread Id of another process (when Id is not 0) from construction until the object
// goes; the thread has stopped when the constructor returns.
class THold {
public:
    explicit THold(DWORD Id)
        : FThread(Id ? OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, Id)
                     : nullptr) {
        if (!FThread)
            return;
        SuspendThread(FThread);
        CONTEXT context{};
        context.ContextFlags = CONTEXT_CONTROL;
        GetThreadContext(FThread, &context);
    }
    ~THold() {
        if (!FThread)
            return;
        ResumeThread(FThread);
        CloseHandle(FThread);
    }
    THold(const THold&) = delete;
    THold& operator=(const THold&) = delete;

private:
    HANDLE FThread;
};

int Guard(const std::wstring& Exe, DWORD Ms, DWORD Count, DWORD Thread) {
    TCopies copies(Exe, Ms);
    Count = Count < MAXIMUM_WAIT_OBJECTS ? Count : MAXIMUM_WAIT_OBJECTS;
    for (DWORD i = 0; i < Count; ++i)
        if (!copies.Start(i))
            return 2;
    copies.WaitFindable();
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < Ms) {
        std::vector<size_t> ended = copies.WaitEnded(100);
        if (ended.empty())
            continue;
        THold hold(Thread);
        for (size_t slot : ended)
            if (!copies.Start(slot))
                return 2;
        copies.WaitFindable();
    }
    return 0;
}

int Pause(const std::wstring& Exe, DWORD Count, DWORD Ms, DWORD Thread, DWORD Again) {
    TCopies copies(Exe, 120000);
    Count = Count < MAXIMUM_WAIT_OBJECTS / 2 ? Count : MAXIMUM_WAIT_OBJECTS / 2;
    Again = Again < Count ? Again : Count;
    for (DWORD i = 0; i < Count; ++i)
        if (!copies.Start(i))
            return 2;
    copies.WaitFindable();
    std::vector<bool> seen(Count);
    for (size_t left = Count; left > 0;) {
        for (size_t slot : copies.WaitEnded(INFINITE)) {
            if (slot >= Count || seen[slot])
                continue;
            seen[slot] = true;
            --left;
            THold hold(Thread);
            Sleep(Ms);
            if (left != 1 || Again == 0)
                continue;
            // The program comes back while its last copy from before still runs: new copies,
            // findable before the thread that ends them goes on.
            for (DWORD i = 0; i < Again; ++i)
                if (!copies.Start(copies.Count()))
                    return 2;
            copies.WaitFindable();
        }
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
    if (mode == L"guard" && argc > 5)
        return Guard(argv[2], Number(argv[3]), Number(argv[4]), Number(argv[5]));
    if (mode == L"pause" && argc > 5)
        return Pause(argv[2], Number(argv[3]), Number(argv[4]), Number(argv[5]),
                     argc > 6 ? Number(argv[6]) : 0);
    return 100;
}
