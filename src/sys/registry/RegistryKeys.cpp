#include "sys/registry/RegistryKeys.h"

#include "core/Format.h"
#include "core/SystemError.h"
#include "sys/registry/Registry.h"

namespace Registry {

std::wstring KeyPath(const std::wstring& Path) {
    return !Path.empty() && Path[0] == L'\\' ? Path.substr(1) : Path;
}

TRegKey Open(HKEY Root, const std::wstring& Path, REGSAM Access) {
    LSTATUS status;
    return Open(Root, Path, Access, status);
}

TRegKey Open(HKEY Root, const std::wstring& Path, REGSAM Access, LSTATUS& Status) {
    TRegKey key;
    Status = RegOpenKeyExW(Root, KeyPath(Path).c_str(), 0, Access, key.Put());
    if (Status != ERROR_SUCCESS)
        key.Release(); // a failed open may leave garbage in the out parameter
    return key;
}

TRegKey OpenOrRaise(HKEY Root, const std::wstring& Path, REGSAM Access, const std::wstring& What) {
    TRegKey key;
    LSTATUS status = RegOpenKeyExW(Root, KeyPath(Path).c_str(), 0, Access, key.Put());
    if (status != ERROR_SUCCESS)
        key.Release();
    CheckStatus(status, What);
    return key;
}

std::vector<std::wstring> SubKeyNames(HKEY Key) {
    std::vector<std::wstring> names;
    // Key names have at most 255 characters.
    wchar_t buffer[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(std::size(buffer));
        if (RegEnumKeyExW(Key, index, buffer, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(buffer, length);
    }
    return names;
}

DWORD ValueType(HKEY Key, const std::wstring& Name) {
    DWORD type = REG_NONE;
    if (RegQueryValueExW(Key, Name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        return REG_NONE;
    return type;
}

std::wstring ReadWholeString(HKEY Key, const std::wstring& Name) {
    const std::wstring what = Format(L"Read registry value \"%s\" failed", {Name});
    DWORD type = REG_NONE;
    DWORD size = 0;
    CheckStatus(RegQueryValueExW(Key, Name.c_str(), nullptr, &type, nullptr, &size), what);
    std::wstring data;
    LSTATUS status = ERROR_MORE_DATA;
    // The value may grow between asking its size and reading it.
    while (status == ERROR_MORE_DATA) {
        data.assign(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        status = RegQueryValueExW(Key, Name.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
    }
    CheckStatus(status, what);
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryException(Format(L"Invalid data type for '%s'", {Name}));
    if (size % sizeof(wchar_t) != 0)
        throw ERegistryException(Format(L"Registry value \"%s\" is not a single text", {Name}));
    data.resize(size / sizeof(wchar_t));
    while (!data.empty() && data.back() == L'\0')
        data.pop_back();
    if (data.find(L'\0') != std::wstring::npos)
        throw ERegistryException(Format(L"Registry value \"%s\" is not a single text", {Name}));
    return data;
}

void WriteExpandString(HKEY Key, const std::wstring& Name, const std::wstring& Value) {
    CheckStatus(RegSetValueExW(Key, Name.c_str(), 0, REG_EXPAND_SZ,
                               reinterpret_cast<const BYTE*>(Value.c_str()),
                               static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t))),
                Format(L"Write registry value \"%s\" failed", {Name}));
}

} // namespace Registry
