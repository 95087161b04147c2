#include "support/RegistrySupport.h"

#include "support/TestSupport.h"

#include <sddl.h>
#include <winternl.h>

#include <stdexcept>
#include <vector>

extern "C" NTSTATUS NTAPI NtDeleteKey(HANDLE KeyHandle);

namespace test {

namespace {

HKEY OpenKey(HKEY Root, const std::wstring& Path, DWORD Options, REGSAM Access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(Root, Path.c_str(), Options, Access, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

bool IsLink(HKEY Key) {
    DWORD type = REG_NONE;
    return RegQueryValueExW(Key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
               ERROR_SUCCESS &&
           type == REG_LINK;
}

void DeleteOpen(HKEY Key, REGSAM View) {
    if (!IsLink(Key)) {
        std::vector<std::wstring> names;
        wchar_t name[256];
        for (DWORD i = 0;; ++i) {
            DWORD size = 256;
            if (RegEnumKeyExW(Key, i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            names.emplace_back(name, size);
        }
        for (const auto& child : names) {
            AllowRegDelete(Key, child);
            if (HKEY sub = OpenKey(Key, child, REG_OPTION_OPEN_LINK, KEY_READ | DELETE | View)) {
                DeleteOpen(sub, View);
                RegCloseKey(sub);
            }
        }
    }
    NtDeleteKey(Key);
}

void SetDacl(HKEY Root, const std::wstring& Path, const wchar_t* Sddl,
             DWORD Options = REG_OPTION_OPEN_LINK) {
    HKEY key = OpenKey(Root, Path, Options, WRITE_DAC);
    if (!key)
        return;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(Sddl, SDDL_REVISION_1, &sd, nullptr)) {
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
        LocalFree(sd);
    }
    RegCloseKey(key);
}

} // namespace

TTestKey::TTestKey(HKEY Root, const std::wstring& Parent)
    : FRoot(Root), FName(UniqueName(L"NrvTest-")), FPath(Parent + L"\\" + FName) {
    CreateRegKey(Root, FPath);
}

TTestKey::~TTestKey() {
    DeleteRegTreeSafely(FRoot, FPath);
    DeleteRegTreeSafely(FRoot, FPath, KEY_WOW64_64KEY);
}

void CreateRegKey(HKEY Root, const std::wstring& Path, REGSAM View) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(Root, Path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | View, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("RegCreateKeyEx failed");
    RegCloseKey(key);
}

bool RegKeyExists(HKEY Root, const std::wstring& Path, REGSAM View) {
    HKEY key = OpenKey(Root, Path, 0, KEY_READ | View);
    if (key)
        RegCloseKey(key);
    return key != nullptr;
}

bool RegLinkExists(HKEY Root, const std::wstring& Path) {
    HKEY key = OpenKey(Root, Path, REG_OPTION_OPEN_LINK, KEY_READ);
    if (key)
        RegCloseKey(key);
    return key != nullptr;
}

std::wstring UserHiveName() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    BYTE buffer[256];
    DWORD length = 0;
    GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &length);
    CloseHandle(token);
    wchar_t* sid = nullptr;
    ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid);
    std::wstring name = std::wstring(L"\\REGISTRY\\USER\\") + sid;
    LocalFree(sid);
    return name;
}

void CreateRegLink(const std::wstring& Path, const std::wstring& Target) {
    HKEY link = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, Path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &link, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create a registry link");
    // The target without its terminating NUL.
    LONG rc = RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                             reinterpret_cast<const BYTE*>(Target.c_str()),
                             static_cast<DWORD>(Target.size() * sizeof(wchar_t)));
    RegCloseKey(link);
    if (rc != ERROR_SUCCESS)
        throw std::runtime_error("cannot point a registry link");
}

void DeleteRegTreeSafely(HKEY Root, const std::wstring& Path, REGSAM View) {
    AllowRegDelete(Root, Path);
    HKEY key = OpenKey(Root, Path, REG_OPTION_OPEN_LINK, KEY_READ | DELETE | View);
    if (!key)
        return;
    DeleteOpen(key, View);
    RegCloseKey(key);
}

void DenyRegDelete(HKEY Root, const std::wstring& Path) {
    SetDacl(Root, Path, L"D:(D;;SD;;;WD)(A;;KA;;;WD)");
}

void AllowRegDelete(HKEY Root, const std::wstring& Path) {
    SetDacl(Root, Path, L"D:(A;;KA;;;WD)");
}

TKeyWriteDenied::TKeyWriteDenied(HKEY Root, const std::wstring& Path) : FRoot(Root), FPath(Path) {
    HKEY key = OpenKey(Root, Path, 0, READ_CONTROL);
    if (!key)
        throw std::runtime_error("cannot open the key to deny writing");
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    FSaved.resize(size);
    LONG status = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, FSaved.data(), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        throw std::runtime_error("cannot read the key's access list");
    // The key itself, or what it links to (the 32-bit view links some keys to the other).
    SetDacl(Root, Path, L"D:(D;;0x6;;;WD)(A;;KA;;;WD)", 0);
}

TKeyWriteDenied::~TKeyWriteDenied() {
    HKEY key = OpenKey(FRoot, FPath, 0, WRITE_DAC);
    if (!key)
        return;
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, FSaved.data());
    RegCloseKey(key);
}

} // namespace test
