#include "sys/registry/RegistryTree.h"

#include "core/Handle.h"
#include "sys/registry/RegistryGuard.h"
#include "sys/registry/RegistryKeys.h"

#include <winternl.h>

#include <vector>

// Deleting a key through a handle is the one way to remove a link key itself: every call that
// takes a path follows the link to its target.
extern "C" NTSTATUS NTAPI NtDeleteKey(HANDLE KeyHandle);
extern "C" NTSTATUS NTAPI NtQueryKey(HANDLE KeyHandle, int KeyInformationClass,
                                     PVOID KeyInformation, ULONG Length, PULONG ResultLength);

namespace Registry {

namespace {

constexpr int KeyNameInformation = 3;
constexpr REGSAM DeleteAccess = KEY_READ | DELETE;

// A link key opened as itself (REG_OPTION_OPEN_LINK) holds its target as this value.
bool IsLink(HKEY Key) {
    DWORD type = REG_NONE;
    return RegQueryValueExW(Key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
               ERROR_SUCCESS &&
           type == REG_LINK;
}

// The key itself, a link not followed.
LSTATUS OpenAsItself(HKEY Parent, const std::wstring& Path, TRegKey& Key) {
    LSTATUS status =
        RegOpenKeyExW(Parent, Path.c_str(), REG_OPTION_OPEN_LINK, DeleteAccess, Key.Put());
    if (status != ERROR_SUCCESS)
        Key.Release();
    return status;
}

DWORD DeleteOpenKey(HKEY Key) {
    return RtlNtStatusToDosError(NtDeleteKey(Key));
}

// The subkeys first, then the key. A link has no subkeys of its own: it goes alone.
DWORD DeleteOpenTree(HKEY Key) {
    DWORD first = ERROR_SUCCESS;
    if (!IsLink(Key)) {
        for (const auto& name : SubKeyNames(Key)) {
            TRegKey child;
            DWORD status = OpenAsItself(Key, name, child);
            if (status == ERROR_SUCCESS)
                status = DeleteOpenTree(child.Get());
            if (first == ERROR_SUCCESS)
                first = status;
        }
    }
    DWORD status = DeleteOpenKey(Key);
    return first != ERROR_SUCCESS ? first : status;
}

} // namespace

bool KeyExists(HKEY Root, const std::wstring& Path) {
    TRegKey key;
    const LONG status = RegOpenKeyExW(Root, KeyPath(Path).c_str(), REG_OPTION_OPEN_LINK,
                                      KEY_QUERY_VALUE, key.Put());
    return status != ERROR_FILE_NOT_FOUND && status != ERROR_PATH_NOT_FOUND;
}

std::wstring KeyRealName(HKEY Key) {
    std::vector<BYTE> buffer(512);
    for (;;) {
        ULONG length = 0;
        NTSTATUS status = NtQueryKey(Key, KeyNameInformation, buffer.data(),
                                     static_cast<ULONG>(buffer.size()), &length);
        if (NT_SUCCESS(status)) {
            ULONG bytes = *reinterpret_cast<const ULONG*>(buffer.data());
            return std::wstring(reinterpret_cast<const wchar_t*>(buffer.data() + sizeof(ULONG)),
                                bytes / sizeof(wchar_t));
        }
        if (length <= buffer.size())
            return L"";
        buffer.resize(length);
    }
}

std::wstring ProtectedOpenKeyReason(HKEY Root, const std::wstring& Path, HKEY Key) {
    if (std::wstring reason = ProtectedKeyReason(Root, KeyPath(Path)); !reason.empty())
        return reason;
    // The path as written may reach a protected key through a link or redirection.
    const std::wstring name = KeyRealName(Key);
    return name.empty() ? L"the key's real name cannot be read" : ProtectedKeyNameReason(name);
}

TTreeDeletion DeleteTree(HKEY Root, const std::wstring& Path) {
    const std::wstring path = KeyPath(Path);
    if (std::wstring reason = ProtectedKeyReason(Root, path); !reason.empty())
        return {ERROR_SUCCESS, reason};
    TRegKey key;
    if (DWORD status = OpenAsItself(Root, path, key); status != ERROR_SUCCESS)
        return {status, L""};
    if (std::wstring reason = ProtectedOpenKeyReason(Root, path, key.Get()); !reason.empty())
        return {ERROR_SUCCESS, reason};
    return {DeleteOpenTree(key.Get()), L""};
}

std::wstring DeletionRefusal(HKEY Root, const std::wstring& Path) {
    const std::wstring path = KeyPath(Path);
    if (std::wstring reason = ProtectedKeyReason(Root, path); !reason.empty())
        return reason;
    TRegKey key;
    if (RegOpenKeyExW(Root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, key.Put()) !=
        ERROR_SUCCESS)
        return L"";
    return ProtectedOpenKeyReason(Root, path, key.Get());
}

TRegKey OpenWithoutLinks(HKEY Root, const std::wstring& Path, REGSAM Access, std::wstring& Link,
                         LSTATUS& Status) {
    Link.clear();
    Status = ERROR_SUCCESS;
    TRegKey key;
    HKEY parent = Root;
    std::wstring walked;
    const std::wstring path = KeyPath(Path);
    for (size_t start = 0; start <= path.size();) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos)
            end = path.size();
        const std::wstring name = path.substr(start, end - start);
        start = end + 1;
        if (name.empty())
            continue;
        walked += (walked.empty() ? L"" : L"\\") + name;
        const bool last = end == path.size();
        TRegKey next;
        Status =
            RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK,
                          (last ? Access : KEY_ENUMERATE_SUB_KEYS) | KEY_QUERY_VALUE, next.Put());
        if (Status != ERROR_SUCCESS) {
            next.Release();
            return {};
        }
        if (IsLink(next.Get())) {
            Link = walked;
            return {};
        }
        key = std::move(next);
        parent = key.Get();
    }
    return key;
}

TTreeDeletion DeleteSubTree(HKEY Parent, const std::wstring& Name) {
    if (Name.empty() || Name.find(L'\\') != std::wstring::npos)
        return {ERROR_SUCCESS, L"the name is no subkey's"};
    TRegKey key;
    if (DWORD status = OpenAsItself(Parent, Name, key); status != ERROR_SUCCESS)
        return {status, L""};
    const std::wstring name = KeyRealName(key.Get());
    if (std::wstring reason =
            name.empty() ? L"the key's real name cannot be read" : ProtectedKeyNameReason(name);
        !reason.empty())
        return {ERROR_SUCCESS, reason};
    return {DeleteOpenTree(key.Get()), L""};
}

} // namespace Registry
