#pragma once
#include "core/Exception.h"
#include "core/Handle.h"

#include <string>
#include <vector>

// Raised for registry data this system cannot take, such as a value that is not a string.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
    std::wstring ClassName() const override { return L"ERegistryException"; }
};

// Registry access without a view flag: a 32-bit process reads the 32-bit view.
namespace Registry {

// The key opened with KEY_READ, never created; empty when it cannot be opened.
[[nodiscard]] TRegKey OpenRead(HKEY Root, const std::wstring& Path);
[[nodiscard]] bool ValueExists(HKEY Key, const std::wstring& Name);
// REG_SZ or REG_EXPAND_SZ as stored, cut at the first NUL; empty when the value has no data
// or cannot be queried. Other types with data raise "Invalid data type for '<Name>'".
std::wstring ReadString(HKEY Key, const std::wstring& Name);
// Names of all values, in the order the registry enumerates them.
std::vector<std::wstring> ValueNames(HKEY Key);

} // namespace Registry
