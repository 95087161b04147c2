#include "sys/registry/Registry.h"

#include "core/Format.h"

namespace Registry {

TRegKey OpenRead(HKEY Root, const std::wstring& Path) {
    TRegKey key;
    if (RegOpenKeyExW(Root, Path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        key.Release(); // a failed open may leave garbage in the out parameter
    return key;
}

bool ValueExists(HKEY Key, const std::wstring& Name) {
    return RegQueryValueExW(Key, Name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::wstring ReadString(HKEY Key, const std::wstring& Name) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(Key, Name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        size == 0)
        return L"";
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryException(Format(L"Invalid data type for '%s'", {Name}));
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(Key, Name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                         &size) != ERROR_SUCCESS)
        return L"";
    data.resize(size / sizeof(wchar_t));
    return data.substr(0, data.find(L'\0'));
}

std::vector<std::wstring> ValueNames(HKEY Key) {
    DWORD count = 0;
    DWORD maxLength = 0;
    std::vector<std::wstring> names;
    if (RegQueryInfoKeyW(Key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &maxLength, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    std::vector<wchar_t> buffer(maxLength + 1);
    for (DWORD index = 0; index < count; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        if (RegEnumValueW(Key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS)
            names.emplace_back(buffer.data(), length);
    }
    return names;
}

} // namespace Registry
