#pragma once
#include <string>
#include <string_view>

// Conversions between UTF-16 and the narrow encodings the platform uses.
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
// The same into Out, which keeps its memory for the next text.
void AssignAnsi(std::string& Out, std::wstring_view Text);
std::wstring AnsiToWide(const std::string& text);

// Upper and lower case of ASCII letters only; other characters stay as they are.
std::wstring AsciiUpper(std::wstring text);
std::wstring AsciiLower(std::wstring text);
bool SameTextAscii(const std::wstring& a, const std::wstring& b);

// Without leading and trailing blanks and control characters.
std::wstring Trim(const std::wstring& text);

// A folder path with a trailing backslash added when missing. The empty text stays empty: a
// folder nobody named must never turn into the root of the current drive.
std::wstring IncludeTrailingBackslash(const std::wstring& path);
