#include "logging/support/DateFormat.h"
#include "core/Exception.h"

#include <windows.h>

#include <algorithm>

namespace {

// Appends Value with at least Digits digits, zeros in front; a trace line writes several
// numbers, so no text is made for them on the way.
void AppendPadded(std::wstring& Out, int Value, size_t Digits) {
    wchar_t digits[12];
    size_t n = 0;
    unsigned v = static_cast<unsigned>(Value < 0 ? -Value : Value);
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (Value < 0)
        Out += L'-';
    if (n < Digits)
        Out.append(Digits - n, L'0');
    while (n > 0)
        Out += digits[--n];
}

struct TParts {
    SYSTEMTIME St;
    TDateTime Value;
};

TParts Split(TDateTime value) {
    return TParts{DateTimeToSystemTime(value), value};
}

// Pattern letters are ASCII; the program runs in the C locale, where the wide case functions
// change ASCII letters only, so these give what towlower and towupper give, without the call.
wchar_t LowerAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

wchar_t UpperAscii(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

size_t RunLength(const std::wstring& pattern, size_t i) {
    size_t n = 1;
    while (i + n < pattern.size() && LowerAscii(pattern[i + n]) == LowerAscii(pattern[i]))
        ++n;
    return n;
}

bool StartsWithNoCase(const std::wstring& pattern, size_t i, const wchar_t* word) {
    for (size_t k = 0; word[k]; ++k)
        if (i + k >= pattern.size() || LowerAscii(pattern[i + k]) != word[k])
            return false;
    return true;
}

// A twelve-hour clock is used when the pattern holds an am/pm marker anywhere.
bool HasAmPm(const std::wstring& pattern) {
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'"' || pattern[i] == L'\'') {
            size_t end = pattern.find(pattern[i], i + 1);
            if (end == std::wstring::npos)
                return false;
            i = end;
        } else if (StartsWithNoCase(pattern, i, L"am/pm") || StartsWithNoCase(pattern, i, L"a/p") ||
                   StartsWithNoCase(pattern, i, L"ampm")) {
            return true;
        }
    }
    return false;
}

class TDateWriter {
public:
    TDateWriter(std::wstring& Out, const TParts& parts, const TFormatSettings& settings)
        : Result(Out), FParts(parts), FSettings(settings) {}

    void Write(const std::wstring& pattern, int depth) {
        if (depth > 2)
            throw EConvertError(L"Date pattern nests standard formats too deeply");
        bool twelve = HasAmPm(pattern);
        wchar_t last = 0;
        size_t i = 0;
        while (i < pattern.size()) {
            wchar_t c = UpperAscii(pattern[i]);
            if (c >= L'A' && c <= L'Z') {
                if (c == L'M' && last == L'H')
                    c = L'N';
                last = c;
            }
            i = Token(pattern, i, c, twelve, depth);
        }
    }

private:
    size_t Token(const std::wstring& pattern, size_t i, wchar_t c, bool twelve, int depth) {
        const SYSTEMTIME& st = FParts.St;
        size_t n = RunLength(pattern, i);
        switch (c) {
        case L'Y':
            AppendPadded(Result, n <= 2 ? st.wYear % 100 : st.wYear, n <= 2 ? 2 : 4);
            return i + n;
        case L'M':
            Month(n);
            return i + n;
        case L'D':
            Day(n, depth);
            return i + n;
        case L'H':
            Number(twelve ? (st.wHour % 12 == 0 ? 12 : st.wHour % 12) : st.wHour, n);
            return i + n;
        case L'N':
            if (pattern[i] == L'm' || pattern[i] == L'M')
                n = std::min<size_t>(n, 2);
            Number(st.wMinute, n);
            return i + n;
        case L'S':
            Number(st.wSecond, n);
            return i + n;
        case L'Z':
            AppendPadded(Result, st.wMilliseconds, n == 1 ? 1 : 3);
            return i + n;
        case L'T':
            Write(n == 1 ? FSettings.ShortTimeFormat : FSettings.LongTimeFormat, depth + 1);
            return i + n;
        case L'C':
            Write(FSettings.ShortDateFormat, depth + 1);
            if (st.wHour || st.wMinute || st.wSecond || st.wMilliseconds) {
                Result += L' ';
                Write(FSettings.LongTimeFormat, depth + 1);
            }
            return i + 1;
        case L'A':
            return AmPm(pattern, i);
        case L'/':
            Result += FSettings.DateSeparator;
            return i + 1;
        case L':':
            Result += FSettings.TimeSeparator;
            return i + 1;
        case L'"':
        case L'\'':
            return Quoted(pattern, i);
        default:
            Result += pattern[i];
            return i + 1;
        }
    }

    void Number(int value, size_t n) { AppendPadded(Result, value, n == 1 ? 1 : 2); }

    void Month(size_t n) {
        int m = FParts.St.wMonth;
        if (n <= 2)
            Number(m, n);
        else
            Result += n == 3 ? FSettings.ShortMonthNames[m - 1] : FSettings.LongMonthNames[m - 1];
    }

    void Day(size_t n, int depth) {
        if (n <= 2)
            Number(FParts.St.wDay, n);
        else if (n == 3)
            Result += FSettings.ShortDayNames[DayOfWeek(FParts.Value)];
        else if (n == 4)
            Result += FSettings.LongDayNames[DayOfWeek(FParts.Value)];
        else
            Write(n == 5 ? FSettings.ShortDateFormat : FSettings.LongDateFormat, depth + 1);
    }

    size_t AmPm(const std::wstring& pattern, size_t i) {
        bool pm = FParts.St.wHour >= 12;
        if (StartsWithNoCase(pattern, i, L"am/pm")) {
            Result += pattern.substr(pm ? i + 3 : i, 2);
            return i + 5;
        }
        if (StartsWithNoCase(pattern, i, L"a/p")) {
            Result += pattern[pm ? i + 2 : i];
            return i + 3;
        }
        if (StartsWithNoCase(pattern, i, L"ampm")) {
            Result += pm ? FSettings.TimePMString : FSettings.TimeAMString;
            return i + 4;
        }
        Result += pattern[i];
        return i + 1;
    }

    size_t Quoted(const std::wstring& pattern, size_t i) {
        size_t end = pattern.find(pattern[i], i + 1);
        if (end == std::wstring::npos)
            end = pattern.size();
        Result += pattern.substr(i + 1, end - i - 1);
        return end + 1;
    }

    std::wstring& Result;
    const TParts& FParts;
    const TFormatSettings& FSettings;
};

} // namespace

void AppendDateTime(std::wstring& Out, const std::wstring& pattern, TDateTime value,
                    const TFormatSettings& settings) {
    const TParts parts = Split(value);
    TDateWriter writer(Out, parts, settings);
    writer.Write(pattern, 0);
}

std::wstring FormatDateTime(const std::wstring& pattern, TDateTime value,
                            const TFormatSettings& settings) {
    std::wstring result;
    AppendDateTime(result, pattern, value, settings);
    return result;
}

std::wstring DateTimeToStr(TDateTime value, const TFormatSettings& settings) {
    return FormatDateTime(L"c", value, settings);
}
