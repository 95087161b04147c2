#include "core/Format.h"
#include "core/Exception.h"

#include <cwctype>

namespace {

class TFormatter {
public:
    TFormatter(const std::wstring& format, const TVarRecs& args) : FFormat(format), FArgs(args) {}

    std::wstring Run() {
        std::wstring out;
        while (FPos < FFormat.size()) {
            wchar_t c = FFormat[FPos++];
            if (c != L'%')
                out += c;
            else if (FPos < FFormat.size() && FFormat[FPos] == L'%')
                out += FFormat[FPos++];
            else
                out += Specifier();
        }
        return out;
    }

private:
    [[noreturn]] void Invalid() const {
        throw EConvertError(L"Format '" + FFormat + L"' invalid or incompatible with argument");
    }

    const TVarRec& Next() {
        if (FArg >= FArgs.size())
            throw EConvertError(L"No argument for format '" + FFormat + L"'");
        return FArgs[FArg++];
    }

    // A run of digits, or "*" taking an integer argument; -1 when there is neither.
    long long Number() {
        if (FPos < FFormat.size() && FFormat[FPos] == L'*') {
            ++FPos;
            const TVarRec& arg = Next();
            if (arg.Kind() != TVarRec::TKind::Integer)
                Invalid();
            return arg.Int();
        }
        long long value = -1;
        while (FPos < FFormat.size() && std::iswdigit(FFormat[FPos])) {
            value = (value < 0 ? 0 : value) * 10 + (FFormat[FPos++] - L'0');
            if (value > 1000000)
                Invalid();
        }
        return value;
    }

    std::wstring Specifier() {
        bool left = false;
        long long width = Number();
        if (FPos < FFormat.size() && FFormat[FPos] == L':') {
            if (width < 0)
                Invalid();
            FArg = static_cast<size_t>(width);
            ++FPos;
            width = -1;
        }
        if (width < 0 && FPos < FFormat.size() && FFormat[FPos] == L'-') {
            left = true;
            ++FPos;
            width = Number();
        }
        long long precision = -1;
        if (FPos < FFormat.size() && FFormat[FPos] == L'.') {
            ++FPos;
            precision = Number();
            if (precision < 0)
                precision = 0;
        }
        if (FPos >= FFormat.size())
            Invalid();
        wchar_t type = static_cast<wchar_t>(std::towlower(FFormat[FPos++]));
        std::wstring text = Convert(type, Next(), precision);
        if (width > 0 && static_cast<size_t>(width) > text.size()) {
            std::wstring pad(static_cast<size_t>(width) - text.size(), L' ');
            text = left ? text + pad : pad + text;
        }
        return text;
    }

    std::wstring Convert(wchar_t type, const TVarRec& arg, long long precision) {
        if (type == L's') {
            if (arg.Kind() != TVarRec::TKind::Text)
                Invalid();
            if (precision >= 0 && static_cast<size_t>(precision) < arg.Text().size())
                return arg.Text().substr(0, static_cast<size_t>(precision));
            return arg.Text();
        }
        if (arg.Kind() != TVarRec::TKind::Integer)
            Invalid();
        int64_t value = arg.Int();
        bool negative = false;
        std::wstring digits;
        if (type == L'd') {
            negative = value < 0;
            uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : value;
            digits = std::to_wstring(magnitude);
        } else if (type == L'u' || type == L'x') {
            uint64_t bits = static_cast<uint64_t>(value);
            if (!arg.Wide())
                bits &= 0xFFFFFFFFu;
            if (type == L'u') {
                digits = std::to_wstring(bits);
            } else {
                static const wchar_t hex[] = L"0123456789ABCDEF";
                do {
                    digits.insert(digits.begin(), hex[bits & 0xF]);
                    bits >>= 4;
                } while (bits != 0);
            }
        } else {
            Invalid();
        }
        if (precision > 0 && static_cast<size_t>(precision) > digits.size())
            digits.insert(0, static_cast<size_t>(precision) - digits.size(), L'0');
        return negative ? L"-" + digits : digits;
    }

    const std::wstring& FFormat;
    const TVarRecs& FArgs;
    size_t FPos = 0;
    size_t FArg = 0;
};

} // namespace

std::wstring Format(const std::wstring& format, const TVarRecs& args) {
    return TFormatter(format, args).Run();
}
