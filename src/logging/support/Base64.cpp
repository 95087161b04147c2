#include "logging/support/Base64.h"
#include "core/Exception.h"
#include "core/Text.h"

namespace {

const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int ValueOf(wchar_t c) {
    if (c >= L'A' && c <= L'Z')
        return c - L'A';
    if (c >= L'a' && c <= L'z')
        return c - L'a' + 26;
    if (c >= L'0' && c <= L'9')
        return c - L'0' + 52;
    if (c == L'+')
        return 62;
    if (c == L'/')
        return 63;
    throw EConvertError(L"Invalid Base64 text");
}

} // namespace

std::wstring EncodeBase64(const std::wstring& text) {
    std::string bytes = WideToUtf8(text);
    std::wstring result;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        unsigned chunk = static_cast<unsigned char>(bytes[i]) << 16;
        size_t n = std::min<size_t>(3, bytes.size() - i);
        if (n > 1)
            chunk |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (n > 2)
            chunk |= static_cast<unsigned char>(bytes[i + 2]);
        for (size_t k = 0; k < 4; ++k)
            result += k <= n ? static_cast<wchar_t>(Alphabet[(chunk >> (18 - 6 * k)) & 63]) : L'=';
    }
    return result;
}

std::wstring DecodeBase64(const std::wstring& text) {
    if (text.size() % 4 != 0)
        throw EConvertError(L"Invalid Base64 text");
    std::string bytes;
    for (size_t i = 0; i < text.size(); i += 4) {
        size_t pad = 0;
        unsigned chunk = 0;
        for (size_t k = 0; k < 4; ++k) {
            wchar_t c = text[i + k];
            bool last = i + 4 == text.size();
            if (c == L'=' && last && k >= 2 && (k == 3 || text[i + 3] == L'=')) {
                ++pad;
                chunk <<= 6;
                continue;
            }
            if (pad)
                throw EConvertError(L"Invalid Base64 text");
            chunk = (chunk << 6) | static_cast<unsigned>(ValueOf(c));
        }
        bytes += static_cast<char>((chunk >> 16) & 255);
        if (pad < 2)
            bytes += static_cast<char>((chunk >> 8) & 255);
        if (pad < 1)
            bytes += static_cast<char>(chunk & 255);
    }
    return Utf8ToWide(bytes);
}
