#pragma once
#include "core/Handle.h"

#include <string>

// The registry as the configuration operations use it: one root key and at most one open key
// below it. Every path is relative to the root. Without a view flag, a 32-bit process reaches
// the 32-bit view. Numbers and Booleans are 32-bit number values, texts string values.
class TRegistry {
public:
    // Access asked for when a key is opened with OpenKey.
    explicit TRegistry(REGSAM Access = KEY_ALL_ACCESS, HKEY RootKey = HKEY_CURRENT_USER)
        : FAccess(Access), FRootKey(RootKey) {}

    HKEY RootKey() const { return FRootKey; }
    void SetRootKey(HKEY value);

    // Closes the open key and opens Key, creating it when missing and CanCreate is set;
    // false when it cannot be opened.
    [[nodiscard]] bool OpenKey(const std::wstring& Key, bool CanCreate);
    [[nodiscard]] bool OpenKeyReadOnly(const std::wstring& Key);
    void CloseKey() { FCurrentKey.Reset(); }
    bool KeyExists(const std::wstring& Key) const;
    // Deletes Key with all its subkeys; false when it could not be deleted or was not there.
    bool DeleteKey(const std::wstring& Key);

    // Values of the open key.
    bool ValueExists(const std::wstring& Name) const;
    int ValueCount() const;
    // A missing value, or one of another type, raises ERegistryException
    // "Invalid data type for '<Name>'".
    int ReadInteger(const std::wstring& Name) const;
    bool ReadBool(const std::wstring& Name) const { return ReadInteger(Name) != 0; }
    std::wstring ReadString(const std::wstring& Name) const;
    // The value, or Default when it is missing; one of another type raises as above.
    int ReadInteger(const std::wstring& Name, int Default) const;
    bool ReadBool(const std::wstring& Name, bool Default) const;
    std::wstring ReadString(const std::wstring& Name, const std::wstring& Default) const;

    // Each raises "Failed to set data for '<Name>' (<system text>)".
    void WriteInteger(const std::wstring& Name, int Value);
    void WriteBool(const std::wstring& Name, bool Value) { WriteInteger(Name, Value ? 1 : 0); }
    void WriteString(const std::wstring& Name, const std::wstring& Value);
    // False when there was no such value.
    bool DeleteValue(const std::wstring& Name);

private:
    HKEY Open() const;

    REGSAM FAccess;
    HKEY FRootKey;
    TRegKey FCurrentKey;
};
