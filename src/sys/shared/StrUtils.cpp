#include "sys/shared/StrUtils.h"

#include "core/Exception.h"
#include "core/Format.h"
#include "core/Text.h"

namespace {

// Upper case by the user's locale. CharUpperBuffW works in place, so positions in the
// result are positions in the original text.
std::wstring LocaleUpper(std::wstring s) {
    if (!s.empty())
        CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

} // namespace

std::wstring TString::Fetch(std::wstring& s, wchar_t sep) {
    std::wstring field;
    size_t pos = s.find(sep);
    if (pos == std::wstring::npos) {
        field = std::move(s);
        s.clear();
    } else {
        field = s.substr(0, pos);
        s.erase(0, pos + 1);
    }
    if (sep == L' ')
        s = Trim(s);
    return field;
}

std::wstring TString::Replace(const std::wstring& Str, const std::wstring& OldValue,
                              const std::wstring& NewValue, TReplaceFlags Flags) {
    if (Str.empty() || OldValue.empty())
        return Str;
    const bool ignoreCase = (Flags & rfIgnoreCase) != 0;
    const std::wstring haystack = ignoreCase ? LocaleUpper(Str) : Str;
    const std::wstring needle = ignoreCase ? LocaleUpper(OldValue) : OldValue;
    std::wstring result;
    size_t from = 0;
    for (;;) {
        size_t pos = haystack.find(needle, from);
        if (pos == std::wstring::npos)
            break;
        result.append(Str, from, pos - from);
        result += NewValue;
        from = pos + needle.size();
        if ((Flags & rfReplaceAll) == 0)
            break;
    }
    result.append(Str, from, std::wstring::npos);
    return result;
}

HKEY TString::ToHKey(const std::wstring& Str) {
    struct TRoot {
        const wchar_t* Short;
        const wchar_t* Long;
        HKEY Key;
    };
    static const TRoot roots[] = {
        {L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    };
    for (const auto& root : roots)
        if (SameTextAscii(Str, root.Short) || SameTextAscii(Str, root.Long))
            return root.Key;
    throw Exception(Format(L"StrToHKey(\"%s\") failed (unknown key)", {Str}));
}
