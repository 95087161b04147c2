#pragma once
#include <windows.h>

#include <string>

// Flags of TString::Replace; combine with "|".
enum TReplaceFlags : unsigned { rfNone = 0, rfReplaceAll = 1, rfIgnoreCase = 2 };

constexpr TReplaceFlags operator|(TReplaceFlags a, TReplaceFlags b) {
    return static_cast<TReplaceFlags>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

// Text operations of the shared utility library. Never instantiated.
class TString {
public:
    TString() = delete;

    // The field of s before the first sep; s keeps what follows it (all of s and an empty s
    // when sep is absent). With a blank separator the remainder is trimmed, the field never.
    static std::wstring Fetch(std::wstring& s, wchar_t sep);

    // Replaces OldValue by NewValue, left to right without rescanning what was inserted.
    // rfIgnoreCase compares by the user locale's upper case, not only ASCII.
    static std::wstring Replace(const std::wstring& Str, const std::wstring& OldValue,
                                const std::wstring& NewValue, TReplaceFlags Flags);

    // "HKCR", "HKLM", "HKCU" or their long forms, ASCII case ignored, to the predefined root.
    static HKEY ToHKey(const std::wstring& Str);
};
