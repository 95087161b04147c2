#include "uninstall/script/ScriptNumber.h"

namespace {

int DigitValue(wchar_t c, int base) {
    int value = -1;
    if (c >= L'0' && c <= L'9')
        value = c - L'0';
    else if (c >= L'a' && c <= L'f')
        value = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F')
        value = c - L'A' + 10;
    return value < base ? value : -1;
}

} // namespace

std::optional<int32_t> ScriptInteger(const std::wstring& Text) {
    size_t i = 0;
    while (i < Text.size() && Text[i] == L' ')
        ++i;
    bool negative = false;
    if (i < Text.size() && (Text[i] == L'-' || Text[i] == L'+'))
        negative = Text[i++] == L'-';
    int base = 10;
    if (i < Text.size() && Text[i] == L'$') {
        base = 16;
        ++i;
    } else if (i + 1 < Text.size() && Text[i] == L'0' &&
               (Text[i + 1] == L'x' || Text[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i == Text.size())
        return std::nullopt;
    int64_t value = 0;
    for (; i < Text.size(); ++i) {
        int digit = DigitValue(Text[i], base);
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > 0x80000000LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(value);
}
