#include "core/Text.h"

#include <windows.h>

namespace {

std::string FromWide(UINT codePage, const std::wstring& text) {
    if (text.empty())
        return {};
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        size, nullptr, nullptr);
    return result;
}

std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty())
        return {};
    int size =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        size);
    return result;
}

} // namespace

std::string WideToUtf8(const std::wstring& text) {
    return FromWide(CP_UTF8, text);
}
std::wstring Utf8ToWide(const std::string& text) {
    return ToWide(CP_UTF8, text);
}
std::string WideToAnsi(const std::wstring& text) {
    return FromWide(CP_ACP, text);
}
void AssignAnsi(std::string& Out, std::wstring_view Text) {
    Out.clear();
    if (Text.empty())
        return;
    // Two bytes a character cover the double-byte code pages; a longer text is measured first.
    Out.resize(Text.size() * 2);
    const int size = static_cast<int>(Text.size());
    int n = WideCharToMultiByte(CP_ACP, 0, Text.data(), size, Out.data(),
                                static_cast<int>(Out.size()), nullptr, nullptr);
    if (n == 0) {
        n = WideCharToMultiByte(CP_ACP, 0, Text.data(), size, nullptr, 0, nullptr, nullptr);
        Out.resize(static_cast<size_t>(n));
        n = WideCharToMultiByte(CP_ACP, 0, Text.data(), size, Out.data(), n, nullptr, nullptr);
    }
    Out.resize(static_cast<size_t>(n));
}
std::wstring AnsiToWide(const std::string& text) {
    return ToWide(CP_ACP, text);
}

std::wstring AsciiUpper(std::wstring text) {
    for (auto& c : text)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    return text;
}

std::wstring AsciiLower(std::wstring text) {
    for (auto& c : text)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

bool SameTextAscii(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && AsciiLower(a) == AsciiLower(b);
}

std::wstring Trim(const std::wstring& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && text[first] <= L' ')
        ++first;
    while (last > first && text[last - 1] <= L' ')
        --last;
    return text.substr(first, last - first);
}

std::wstring IncludeTrailingBackslash(const std::wstring& path) {
    if (path.empty() || path.back() == L'\\')
        return path;
    return path + L'\\';
}

int CompareText(std::wstring_view A, std::wstring_view B) {
    return CompareStringOrdinal(A.data(), static_cast<int>(A.size()), B.data(),
                                static_cast<int>(B.size()), TRUE) -
           CSTR_EQUAL;
}

bool SameText(std::wstring_view A, std::wstring_view B) {
    return A.size() == B.size() && CompareText(A, B) == 0;
}

std::wstring WithoutTrailingBackslash(std::wstring Path) {
    while (Path.size() > 3 && Path.back() == L'\\')
        Path.pop_back();
    return Path;
}

namespace {

// "\\srv\share" of a UNC path (given without its leading "\\").
size_t ShareLength(std::wstring_view Path) {
    const size_t server = Path.find(L'\\');
    const size_t share = server == std::wstring_view::npos ? server : Path.find(L'\\', server + 1);
    return share == std::wstring_view::npos ? Path.size() : share;
}

// How much of Path is its root: "C:\" or "C:", "\\srv\share", the same after "\\?\" (or
// "\\?\UNC\"), or a leading "\". 0 for a relative path.
size_t RootLength(std::wstring_view Path) {
    if (Path.substr(0, 4) == L"\\\\?\\" || Path.substr(0, 4) == L"\\??\\") {
        if (Path.substr(4, 4) == L"UNC\\")
            return 8 + ShareLength(Path.substr(8));
        return 4 + RootLength(Path.substr(4));
    }
    if (Path.size() >= 2 && Path[1] == L':')
        return Path.size() >= 3 && Path[2] == L'\\' ? 3 : 2;
    if (Path.substr(0, 2) == L"\\\\")
        return 2 + ShareLength(Path.substr(2));
    return !Path.empty() && Path[0] == L'\\' ? 1 : 0;
}

} // namespace

std::wstring ParentOf(const std::wstring& Path) {
    const size_t root = RootLength(Path);
    size_t end = Path.size();
    while (end > root && Path[end - 1] == L'\\')
        --end;
    if (end <= root)
        return {};
    const size_t slash = Path.rfind(L'\\', end - 1);
    return Path.substr(0, slash == std::wstring::npos || slash < root ? root : slash);
}

std::wstring FileNameOf(const std::wstring& Path) {
    const size_t delimiter = Path.find_last_of(L"\\:");
    return delimiter == std::wstring::npos ? Path : Path.substr(delimiter + 1);
}

bool PathBelow(std::wstring_view Path, std::wstring_view Folder) {
    if (Folder.empty())
        return false;
    const size_t n = Folder.size();
    const size_t beyond = Folder.back() == L'\\' ? n : n + 1;
    return Path.size() > beyond && (Folder.back() == L'\\' || Path[n] == L'\\') &&
           SameText(Path.substr(0, n), Folder);
}
