#include "logconfig/stores/IniFile.h"
#include "core/Format.h"
#include "core/SystemError.h"
#include "core/Text.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace {

// The profile routine's result, in a buffer grown until the text fits. For a list of names
// the last character is the list's second terminator.
std::wstring ProfileText(const wchar_t* section, const wchar_t* ident, const std::wstring& file,
                         bool list) {
    std::wstring buffer(256, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        DWORD n = GetPrivateProfileStringW(section, ident, L"", buffer.data(), size, file.c_str());
        if (n < size - (list ? 2 : 1))
            return buffer.substr(0, n);
        buffer.resize(buffer.size() * 2);
    }
}

// The platform drops the blanks around a value and one pair of quotes enclosing it; quoted,
// a value that begins or ends with a blank or a quote reads back as it was.
std::wstring Stored(const std::wstring& value) {
    if (value.empty())
        return value;
    wchar_t first = value.front(), last = value.back();
    bool quoted = value.size() > 1 && (first == L'"' || first == L'\'') && last == first;
    if (std::iswspace(first) || std::iswspace(last) || quoted)
        return L"\"" + value + L"\"";
    return value;
}

} // namespace

bool TryIniInteger(const std::wstring& Text, int& Value) {
    size_t at = 0;
    bool negative = false;
    if (at < Text.size() && (Text[at] == L'-' || Text[at] == L'+'))
        negative = Text[at++] == L'-';
    int base = 10;
    if (at < Text.size() && Text[at] == L'$') {
        base = 16;
        ++at;
    } else if (at + 1 < Text.size() && Text[at] == L'0' &&
               (Text[at + 1] == L'x' || Text[at + 1] == L'X')) {
        base = 16;
        at += 2;
    }
    if (at == Text.size())
        return false;
    long long result = 0;
    for (; at < Text.size(); ++at) {
        wchar_t c = Text[at];
        int digit = c >= L'0' && c <= L'9'   ? c - L'0'
                    : c >= L'a' && c <= L'f' ? c - L'a' + 10
                    : c >= L'A' && c <= L'F' ? c - L'A' + 10
                                             : 99;
        if (digit >= base)
            return false;
        result = result * base + digit;
        // Hexadecimal texts may spell the negative numbers of 32 bits (FFFFFFFF is -1).
        if (result > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL))
            return false;
    }
    if (base == 16 && result > 0x7FFFFFFF)
        result -= 0x100000000LL;
    if (negative)
        result = -result;
    if (result > 0x7FFFFFFF)
        return false;
    Value = static_cast<int>(result);
    return true;
}

std::vector<std::wstring> TIniFile::ReadSection(const std::wstring& Section) const {
    std::wstring list = ProfileText(Section.c_str(), nullptr, FFileName, true);
    std::vector<std::wstring> names;
    for (size_t start = 0; start < list.size();) {
        size_t end = list.find(L'\0', start);
        if (end == std::wstring::npos)
            end = list.size();
        if (end > start)
            names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

bool TIniFile::SectionExists(const std::wstring& Section) const {
    return !ReadSection(Section).empty();
}

bool TIniFile::ValueExists(const std::wstring& Section, const std::wstring& Ident) const {
    for (const std::wstring& name : ReadSection(Section))
        if (SameText(name, Ident))
            return true;
    return false;
}

std::wstring TIniFile::ReadString(const std::wstring& Section, const std::wstring& Ident,
                                  const std::wstring& Default) const {
    // Asked for explicitly: the platform would cut the blanks off the end of a default.
    if (!ValueExists(Section, Ident))
        return Default;
    return ProfileText(Section.c_str(), Ident.c_str(), FFileName, false);
}

int TIniFile::ReadInteger(const std::wstring& Section, const std::wstring& Ident,
                          int Default) const {
    int value;
    return TryIniInteger(ReadString(Section, Ident, L""), value) ? value : Default;
}

bool TIniFile::ReadBool(const std::wstring& Section, const std::wstring& Ident,
                        bool Default) const {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::wstring& Section, const std::wstring& Ident,
                           const std::wstring& Value) {
    CheckBool(WritePrivateProfileStringW(Section.c_str(), Ident.c_str(), Stored(Value).c_str(),
                                         FFileName.c_str()),
              Format(L"Cannot write to \"%s\"", {FFileName}));
}

void TIniFile::WriteInteger(const std::wstring& Section, const std::wstring& Ident, int Value) {
    WriteString(Section, Ident, std::to_wstring(Value));
}

void TIniFile::WriteBool(const std::wstring& Section, const std::wstring& Ident, bool Value) {
    WriteString(Section, Ident, Value ? L"1" : L"0");
}

void TIniFile::EraseSection(const std::wstring& Section) {
    CheckBool(WritePrivateProfileStringW(Section.c_str(), nullptr, nullptr, FFileName.c_str()),
              Format(L"Cannot write to \"%s\"", {FFileName}));
}

void TIniFile::UpdateFile() {
    // The platform answers False after a flush whatever happened; a failed write was reported
    // by the write itself.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, FFileName.c_str());
}
