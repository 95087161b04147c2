#include "support/TestSupport.h"

#include "core/Handle.h"
#include "core/Text.h"

#include <aclapi.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <sddl.h>

#include <algorithm>
#include <map>
#include <stdexcept>

namespace test {

std::wstring UniqueName(const std::wstring& Prefix) {
    GUID guid;
    CoCreateGuid(&guid);
    wchar_t text[64];
    StringFromGUID2(guid, text, 64);
    std::wstring id(text + 1, wcslen(text) - 2); // without the braces
    return Prefix + id;
}

std::wstring FindUpwards(const std::wstring& Relative) {
    wchar_t buffer[MAX_PATH];
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring folder(buffer);
    for (;;) {
        size_t slash = folder.find_last_of(L'\\');
        if (slash == std::wstring::npos)
            throw std::runtime_error("not found above the test program: " + WideToUtf8(Relative));
        folder.resize(slash);
        std::wstring candidate = folder + L"\\" + Relative;
        if (GetFileAttributesW(candidate.c_str()) != INVALID_FILE_ATTRIBUTES)
            return candidate;
    }
}

std::wstring HelperPath(const std::wstring& ExeName) {
    return FindUpwards(L"helpers\\" + ExeName);
}

TTempFolder::TTempFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    FPath = std::wstring(temp) + UniqueName(L"ut-") + L"\\";
    if (!CreateDirectoryW(FPath.c_str(), nullptr))
        throw std::runtime_error("cannot create a temporary folder");
}

TTempFolder::~TTempFolder() {
    RemoveTree(FPath);
}

void RemoveTree(const std::wstring& Path) {
    std::wstring folder = Path;
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    // Never anything near a drive root.
    if (folder.size() < 8)
        return;
    WIN32_FIND_DATAW data;
    TFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (find) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring full = folder + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            bool isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !isLink)
                RemoveTree(full);
            else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryW(full.c_str());
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(find.Get(), &data));
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
}

void WriteTextFile(const std::wstring& Path, const std::string& Content) {
    TFileHandle file(CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw std::runtime_error("cannot create " + WideToUtf8(Path));
    DWORD written = 0;
    WriteFile(file.Get(), Content.data(), static_cast<DWORD>(Content.size()), &written, nullptr);
}

std::string ReadTextFile(const std::wstring& Path) {
    TFileHandle file(CreateFileW(Path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    if (!file)
        throw std::runtime_error("cannot open " + WideToUtf8(Path));
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    return content;
}

bool FileExists(const std::wstring& Path) {
    return GetFileAttributesW(Path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string CapturedStderr() {
    return ReadTextFile(L"wine-stderr.log");
}

namespace {

// The current environment with the extra entries set, as a CreateProcess block.
std::wstring EnvironmentBlock(const std::vector<std::wstring>& Extra) {
    std::map<std::wstring, std::wstring> vars;
    wchar_t* block = GetEnvironmentStringsW();
    for (wchar_t* p = block; *p; p += wcslen(p) + 1) {
        std::wstring entry(p);
        size_t eq = entry.find(L'=', 1);
        if (eq != std::wstring::npos)
            vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    FreeEnvironmentStringsW(block);
    for (const auto& entry : Extra) {
        size_t eq = entry.find(L'=');
        vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    std::wstring result;
    for (const auto& [name, value] : vars)
        result += name + L"=" + value + L'\0';
    result += L'\0';
    return result;
}

} // namespace

TRunResult Run(const std::wstring& CommandLine, const std::vector<std::wstring>& ExtraEnv,
               DWORD TimeoutMs) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    TKernelHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.Put(), writeEnd.Put(), &sa, 0))
        throw std::runtime_error("CreatePipe failed");
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = writeEnd.Get();
    si.hStdError = writeEnd.Get();
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = CommandLine;
    std::wstring env = EnvironmentBlock(ExtraEnv);
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE,
                        CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, env.data(), nullptr, &si,
                        &pi))
        throw std::runtime_error("cannot start " + WideToUtf8(CommandLine));
    TKernelHandle process(pi.hProcess), thread(pi.hThread);
    writeEnd.Reset();

    // The output is read while it comes and until the program has ended and nothing is left.
    // Not until the pipe closes: a process the program started may hold the pipe's other end
    // for ever (Wine's desktop process, started by the first program of a new prefix that
    // needs a desktop, inherits the handles of that program).
    TRunResult result;
    const DWORD start = GetTickCount();
    bool ended = false;
    for (;;) {
        DWORD available = 0;
        // When every writer has closed the pipe there is nothing more to read: only the end.
        const bool open = PeekNamedPipe(readEnd.Get(), nullptr, 0, nullptr, &available, nullptr);
        if (open && available > 0) {
            char buffer[4096];
            DWORD read = 0;
            if (!ReadFile(readEnd.Get(), buffer, std::min<DWORD>(available, sizeof buffer), &read,
                          nullptr))
                break;
            result.Output.append(buffer, read);
            continue;
        }
        if (ended)
            break;
        if (WaitForSingleObject(process.Get(), open ? 20 : 100) == WAIT_OBJECT_0) {
            ended = true; // one more look for what it wrote last
        } else if (GetTickCount() - start > TimeoutMs) {
            TerminateProcess(process.Get(), 1);
            WaitForSingleObject(process.Get(), INFINITE);
            ended = true;
        }
    }
    GetExitCodeProcess(process.Get(), &result.ExitCode);
    return result;
}

void LetEveryoneChange(const std::wstring& Path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;WD)", SDDL_REVISION_1, &descriptor,
            nullptr))
        throw std::runtime_error("cannot make a descriptor");
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted);
    DWORD status = SetNamedSecurityInfoW(const_cast<wchar_t*>(Path.c_str()), SE_FILE_OBJECT,
                                         DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr);
    LocalFree(descriptor);
    if (status != ERROR_SUCCESS)
        throw std::runtime_error("cannot change the security of " + WideToUtf8(Path));
}

std::vector<std::wstring> PendingDeletions() {
    TRegKey key;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                  KEY_READ, key.Put());
    DWORD bytes = 0;
    if (RegQueryValueExW(key.Get(), L"PendingFileRenameOperations", nullptr, nullptr, nullptr,
                         &bytes) != ERROR_SUCCESS)
        return {};
    std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
    RegQueryValueExW(key.Get(), L"PendingFileRenameOperations", nullptr, nullptr,
                     reinterpret_cast<BYTE*>(data.data()), &bytes);
    // Pairs of source and target; an empty target means deletion.
    std::vector<std::wstring> items, deletions;
    for (size_t pos = 0; pos < bytes / sizeof(wchar_t);) {
        std::wstring item(data.c_str() + pos);
        items.push_back(item);
        pos += item.size() + 1;
    }
    for (size_t i = 0; i + 1 < items.size(); i += 2)
        if (items[i + 1].empty() && !items[i].empty())
            deletions.push_back(items[i].rfind(L"\\??\\", 0) == 0 ? items[i].substr(4) : items[i]);
    return deletions;
}

} // namespace test
