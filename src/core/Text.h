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
// The suite's own texts (keywords, switches, process names, the script's names) ignore the case
// of ASCII letters alone, as the suite always has; a path or a key compares with SameText.
bool SameTextAscii(const std::wstring& a, const std::wstring& b);

// Paths and key or variable names compare as the file system and the registry compare them:
// ordinally, by the system's upper case (not only ASCII), never by the user's locale. CompareText
// gives <0, 0 or >0; TTextLess orders a set or map so.
int CompareText(std::wstring_view A, std::wstring_view B);
bool SameText(std::wstring_view A, std::wstring_view B);
struct TTextLess {
    bool operator()(std::wstring_view A, std::wstring_view B) const {
        return CompareText(A, B) < 0;
    }
};

// Without leading and trailing blanks and control characters.
std::wstring Trim(const std::wstring& text);

// A folder path with a trailing backslash added when missing. The empty text stays empty: a
// folder nobody named must never turn into the root of the current drive.
std::wstring IncludeTrailingBackslash(const std::wstring& path);
// A path without its trailing backslashes; a drive root ("C:\") keeps its own.
std::wstring WithoutTrailingBackslash(std::wstring Path);

// The folder part of a path, by its spelling, without a trailing backslash but for a root's own:
// "C:\a\b" -> "C:\a", "C:\a" -> "C:\", "\\srv\share\a" -> "\\srv\share", "D:a" -> "D:". A
// trailing backslash of Path is passed over ("C:\a\" -> "C:\"). Empty for a root ("C:\",
// "\\srv\share", "\\?\C:\") and for a name without a folder.
std::wstring ParentOf(const std::wstring& Path);
// The name after the folder part: the text after the last backslash, or after the drive's colon
// ("D:a" -> "a"); all of Path when it has neither.
std::wstring FileNameOf(const std::wstring& Path);
// Path lies below Folder (not at it), by their spellings, letter case ignored: "C:\a\b" lies
// below "C:\a" and "C:\a\", never "C:\ab" below "C:\a". Nothing lies below an empty folder.
bool PathBelow(std::wstring_view Path, std::wstring_view Folder);
