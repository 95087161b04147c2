#pragma once
#include "core/Handle.h"

#include <string>
#include <vector>

// Registry access of the registry steps: keys opened with the rights a step asks for, their
// subkeys, value types, and values read whole and written back. No view flag: a 32-bit process
// works in the 32-bit view.
namespace Registry {

// The path of a key below its root. A leading backslash means the same, as in the script's
// "\SYSTEM\...": the platform would refuse it.
std::wstring KeyPath(const std::wstring& Path);

// The key opened with Access, never created; empty when it cannot be opened.
[[nodiscard]] TRegKey Open(HKEY Root, const std::wstring& Path, REGSAM Access);
// As Open; Status is the system's code of a failed open (ERROR_SUCCESS when it opened).
[[nodiscard]] TRegKey Open(HKEY Root, const std::wstring& Path, REGSAM Access, LSTATUS& Status);
// As Open, but a key that cannot be opened raises "<What> (<system text>)".
TRegKey OpenOrRaise(HKEY Root, const std::wstring& Path, REGSAM Access, const std::wstring& What);

// Names of all subkeys, in the order the registry enumerates them.
std::vector<std::wstring> SubKeyNames(HKEY Key);
// The value's data type; REG_NONE also when there is no such value.
[[nodiscard]] DWORD ValueType(HKEY Key, const std::wstring& Name);

// A REG_SZ or REG_EXPAND_SZ value as stored, for a caller that writes it back: nothing of it is
// ever dropped. Raises for a value that cannot be read, a value of another type ("Invalid data
// type for '<Name>'") and data that is no single text (a NUL inside, half a character).
std::wstring ReadWholeString(HKEY Key, const std::wstring& Name);
// Writes Value as REG_EXPAND_SZ; raises "Write registry value "<Name>" failed (<text>)".
void WriteExpandString(HKEY Key, const std::wstring& Name, const std::wstring& Value);

} // namespace Registry
