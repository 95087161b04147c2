#include "logconfig/stores/RegistryStore.h"
#include "core/Format.h"
#include "core/SystemError.h"
#include "sys/registry/Registry.h"

#include <vector>

namespace {

std::wstring Relative(const std::wstring& key) {
    size_t start = key.find_first_not_of(L'\\');
    return start == std::wstring::npos ? std::wstring() : key.substr(start);
}

[[noreturn]] void RaiseDataType(const std::wstring& name) {
    throw ERegistryException(Format(L"Invalid data type for '%s'", {name}));
}

} // namespace

void TRegistry::SetRootKey(HKEY value) {
    CloseKey();
    FRootKey = value;
}

bool TRegistry::OpenKey(const std::wstring& Key, bool CanCreate) {
    CloseKey();
    LSTATUS status =
        CanCreate ? RegCreateKeyExW(FRootKey, Relative(Key).c_str(), 0, nullptr, 0, FAccess,
                                    nullptr, FCurrentKey.Put(), nullptr)
                  : RegOpenKeyExW(FRootKey, Relative(Key).c_str(), 0, FAccess, FCurrentKey.Put());
    if (status != ERROR_SUCCESS)
        FCurrentKey.Release(); // the platform leaves the out value undefined on failure
    return status == ERROR_SUCCESS;
}

bool TRegistry::OpenKeyReadOnly(const std::wstring& Key) {
    CloseKey();
    LSTATUS status = RegOpenKeyExW(FRootKey, Relative(Key).c_str(), 0, KEY_READ, FCurrentKey.Put());
    if (status != ERROR_SUCCESS)
        FCurrentKey.Release();
    return status == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const std::wstring& Key) const {
    TRegKey key;
    return RegOpenKeyExW(FRootKey, Relative(Key).c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

bool TRegistry::DeleteKey(const std::wstring& Key) {
    std::wstring path = Relative(Key);
    // Never the root itself.
    if (path.empty())
        return false;
    return RegDeleteTreeW(FRootKey, path.c_str()) == ERROR_SUCCESS;
}

HKEY TRegistry::Open() const {
    return FCurrentKey ? FCurrentKey.Get() : FRootKey;
}

bool TRegistry::ValueExists(const std::wstring& Name) const {
    return RegQueryValueExW(Open(), Name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

int TRegistry::ValueCount() const {
    DWORD count = 0;
    CheckStatus(RegQueryInfoKeyW(Open(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 &count, nullptr, nullptr, nullptr, nullptr),
                L"RegQueryInfoKey failed");
    return static_cast<int>(count);
}

int TRegistry::ReadInteger(const std::wstring& Name) const {
    DWORD type = 0, value = 0, size = sizeof value;
    LSTATUS status = RegQueryValueExW(Open(), Name.c_str(), nullptr, &type,
                                      reinterpret_cast<BYTE*>(&value), &size);
    if (status == ERROR_FILE_NOT_FOUND)
        throw ERegistryException(Format(L"Failed to get data for '%s'", {Name}));
    if ((status != ERROR_SUCCESS && status != ERROR_MORE_DATA) || type != REG_DWORD)
        RaiseDataType(Name);
    return static_cast<int>(value);
}

std::wstring TRegistry::ReadString(const std::wstring& Name) const {
    DWORD type = 0, size = 0;
    LSTATUS status = RegQueryValueExW(Open(), Name.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND)
        throw ERegistryException(Format(L"Failed to get data for '%s'", {Name}));
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        RaiseDataType(Name);
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    CheckStatus(RegQueryValueExW(Open(), Name.c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(data.data()), &size),
                Format(L"Failed to get data for '%s'", {Name}));
    // Stored texts may lack their terminator or carry more than one.
    return std::wstring(data.data());
}

int TRegistry::ReadInteger(const std::wstring& Name, int Default) const {
    return ValueExists(Name) ? ReadInteger(Name) : Default;
}

bool TRegistry::ReadBool(const std::wstring& Name, bool Default) const {
    return ValueExists(Name) ? ReadBool(Name) : Default;
}

std::wstring TRegistry::ReadString(const std::wstring& Name, const std::wstring& Default) const {
    return ValueExists(Name) ? ReadString(Name) : Default;
}

void TRegistry::WriteInteger(const std::wstring& Name, int Value) {
    DWORD data = static_cast<DWORD>(Value);
    CheckStatus(RegSetValueExW(Open(), Name.c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&data), sizeof data),
                Format(L"Failed to set data for '%s'", {Name}));
}

void TRegistry::WriteString(const std::wstring& Name, const std::wstring& Value) {
    CheckStatus(RegSetValueExW(Open(), Name.c_str(), 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(Value.c_str()),
                               static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t))),
                Format(L"Failed to set data for '%s'", {Name}));
}

bool TRegistry::DeleteValue(const std::wstring& Name) {
    return RegDeleteValueW(Open(), Name.c_str()) == ERROR_SUCCESS;
}
