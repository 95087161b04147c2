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
