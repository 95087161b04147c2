#include "logging/DateFormat.h"
#include "core/Exception.h"

#include <windows.h>

#include <cmath>
#include <cwctype>

// Declared only for newer Windows versions; older ones answer it with an error.
#ifndef LOCALE_SSHORTTIME
#define LOCALE_SSHORTTIME 0x00000079
#endif

namespace {

constexpr double MsPerDay = 86400000.0;
constexpr double MsPerHour = 3600000.0;

std::wstring Pad(int value, size_t digits) {
    std::wstring text = std::to_wstring(value);
    if (text.size() < digits)
        text.insert(0, digits - text.size(), L'0');
    return text;
}

// The day of week of a date, 0 for Sunday; day 0 (30 December 1899) was a Saturday.
int DayOfWeek(TDateTime value) {
    long long day = static_cast<long long>(WholeDay(value));
    return static_cast<int>(((day + 6) % 7 + 7) % 7);
}

struct TParts {
    SYSTEMTIME St;
    int DayOfWeek;
};

TParts Split(TDateTime value) {
    TParts parts{DateTimeToSystemTime(value), DayOfWeek(value)};
    return parts;
}

size_t RunLength(const std::wstring& pattern, size_t i) {
    size_t n = 1;
    while (i + n < pattern.size() && std::towlower(pattern[i + n]) == std::towlower(pattern[i]))
        ++n;
    return n;
}

bool StartsWithNoCase(const std::wstring& pattern, size_t i, const wchar_t* word) {
    for (size_t k = 0; word[k]; ++k)
        if (i + k >= pattern.size() || std::towlower(pattern[i + k]) != word[k])
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
    TDateWriter(const TParts& parts, const TFormatSettings& settings)
        : FParts(parts), FSettings(settings) {}

    void Write(const std::wstring& pattern, int depth) {
        if (depth > 2)
            throw EConvertError(L"Date pattern nests standard formats too deeply");
        bool twelve = HasAmPm(pattern);
        wchar_t last = 0;
        size_t i = 0;
        while (i < pattern.size()) {
            wchar_t c = static_cast<wchar_t>(std::towupper(pattern[i]));
            if (c >= L'A' && c <= L'Z') {
                if (c == L'M' && last == L'H')
                    c = L'N';
                last = c;
            }
            i = Token(pattern, i, c, twelve, depth);
        }
    }

    std::wstring Result;

private:
    size_t Token(const std::wstring& pattern, size_t i, wchar_t c, bool twelve, int depth) {
        const SYSTEMTIME& st = FParts.St;
        size_t n = RunLength(pattern, i);
        switch (c) {
        case L'Y':
            Result += n <= 2 ? Pad(st.wYear % 100, 2) : Pad(st.wYear, 4);
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
            Result += n == 1 ? std::to_wstring(st.wMilliseconds) : Pad(st.wMilliseconds, 3);
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

    void Number(int value, size_t n) { Result += n == 1 ? std::to_wstring(value) : Pad(value, 2); }

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
            Result += FSettings.ShortDayNames[FParts.DayOfWeek];
        else if (n == 4)
            Result += FSettings.LongDayNames[FParts.DayOfWeek];
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

    const TParts& FParts;
    const TFormatSettings& FSettings;
};

std::wstring LocaleText(LCTYPE type) {
    wchar_t buffer[256];
    int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 256);
    return n > 0 ? std::wstring(buffer, static_cast<size_t>(n - 1)) : std::wstring();
}

// Windows time patterns write minutes as m, the 24-hour clock as H and the marker as t.
std::wstring FromWindowsTimePattern(const std::wstring& pattern) {
    std::wstring result;
    for (size_t i = 0; i < pattern.size(); ++i) {
        wchar_t c = pattern[i];
        if (c == L'\'') {
            size_t end = pattern.find(L'\'', i + 1);
            if (end == std::wstring::npos)
                end = pattern.size() - 1;
            result += L'"' + pattern.substr(i + 1, end - i - 1) + L'"';
            i = end;
        } else if (c == L't') {
            bool two = i + 1 < pattern.size() && pattern[i + 1] == L't';
            result += two ? L"ampm" : L"a/p";
            i += two ? 1 : 0;
        } else if (c == L'm' || c == L'M') {
            result += L'n';
        } else if (c == L'H') {
            result += L'h';
        } else {
            result += c;
        }
    }
    return result;
}

// Windows date patterns quote text with single quotes, as ours do; "gg" (era) has no letter.
std::wstring FromWindowsDatePattern(std::wstring pattern) {
    for (size_t at; (at = pattern.find(L"gg")) != std::wstring::npos;)
        pattern.erase(at, 2);
    return pattern;
}

wchar_t FirstOr(const std::wstring& text, wchar_t fallback) {
    return text.empty() ? fallback : text[0];
}

TFormatSettings MakeFixedSettings() {
    static const wchar_t* const months[12] = {L"Januar",    L"Februar", L"März",     L"April",
                                              L"Mai",       L"Juni",    L"Juli",     L"August",
                                              L"September", L"Oktober", L"November", L"Dezember"};
    static const wchar_t* const days[7] = {L"Sonntag",    L"Montag",  L"Dienstag", L"Mittwoch",
                                           L"Donnerstag", L"Freitag", L"Samstag"};
    TFormatSettings s;
    s.DateSeparator = L'.';
    s.TimeSeparator = L':';
    s.ShortDateFormat = L"yyyy.MM.dd";
    s.LongDateFormat = L"dddd, d. MMMM yyyy";
    s.ShortTimeFormat = L"hh:mm";
    s.LongTimeFormat = L"hh:mm:ss.zzz";
    for (int i = 0; i < 12; ++i) {
        s.LongMonthNames[i] = months[i];
        s.ShortMonthNames[i] = std::wstring(months[i]).substr(0, 3);
    }
    for (int i = 0; i < 7; ++i) {
        s.LongDayNames[i] = days[i];
        s.ShortDayNames[i] = std::wstring(days[i]).substr(0, 2);
    }
    return s;
}

bool ReadNumber(const std::wstring& text, size_t& i, int& value) {
    size_t start = i;
    value = 0;
    while (i < text.size() && iswdigit(text[i]) && i - start < 9)
        value = value * 10 + (text[i++] - L'0');
    return i > start;
}

bool Expect(const std::wstring& text, size_t& i, wchar_t c) {
    if (i < text.size() && text[i] == c) {
        ++i;
        return true;
    }
    return false;
}

} // namespace

TFormatSettings LocaleFormatSettings() {
    TFormatSettings s;
    s.DateSeparator = FirstOr(LocaleText(LOCALE_SDATE), L'/');
    s.TimeSeparator = FirstOr(LocaleText(LOCALE_STIME), L':');
    s.ShortDateFormat = FromWindowsDatePattern(LocaleText(LOCALE_SSHORTDATE));
    s.LongDateFormat = FromWindowsDatePattern(LocaleText(LOCALE_SLONGDATE));
    s.LongTimeFormat = FromWindowsTimePattern(LocaleText(LOCALE_STIMEFORMAT));
    std::wstring shortTime = LocaleText(LOCALE_SSHORTTIME);
    s.ShortTimeFormat = shortTime.empty() ? s.LongTimeFormat : FromWindowsTimePattern(shortTime);
    s.TimeAMString = LocaleText(LOCALE_S1159);
    s.TimePMString = LocaleText(LOCALE_S2359);
    for (int i = 0; i < 12; ++i) {
        s.LongMonthNames[i] = LocaleText(LOCALE_SMONTHNAME1 + i);
        s.ShortMonthNames[i] = LocaleText(LOCALE_SABBREVMONTHNAME1 + i);
    }
    // Windows counts days from Monday; Sunday is its seventh.
    for (int i = 0; i < 7; ++i) {
        s.LongDayNames[i] = LocaleText(LOCALE_SDAYNAME1 + (i + 6) % 7);
        s.ShortDayNames[i] = LocaleText(LOCALE_SABBREVDAYNAME1 + (i + 6) % 7);
    }
    return s;
}

const TFormatSettings& FixedFormatSettings() {
    static const TFormatSettings settings = MakeFixedSettings();
    return settings;
}

std::wstring FormatDateTime(const std::wstring& pattern, TDateTime value,
                            const TFormatSettings& settings) {
    TParts parts = Split(value);
    TDateWriter writer(parts, settings);
    writer.Write(pattern, 0);
    return writer.Result;
}

std::wstring DateTimeToStr(TDateTime value, const TFormatSettings& settings) {
    return FormatDateTime(L"c", value, settings);
}

std::optional<TDateTime> StrToDateTime(const std::wstring& text, const TFormatSettings& settings) {
    SYSTEMTIME st{};
    size_t i = 0;
    int y, m, d, h = 0, n = 0, s = 0;
    if (!ReadNumber(text, i, y) || !Expect(text, i, settings.DateSeparator) ||
        !ReadNumber(text, i, m) || !Expect(text, i, settings.DateSeparator) ||
        !ReadNumber(text, i, d))
        return std::nullopt;
    if (Expect(text, i, L' ')) {
        if (!ReadNumber(text, i, h) || !Expect(text, i, settings.TimeSeparator) ||
            !ReadNumber(text, i, n))
            return std::nullopt;
        if (Expect(text, i, settings.TimeSeparator) && !ReadNumber(text, i, s))
            return std::nullopt;
    }
    if (i != text.size() || y < 1601 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31 || h > 23 ||
        n > 59 || s > 59)
        return std::nullopt;
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(n);
    st.wSecond = static_cast<WORD>(s);
    FILETIME check;
    if (!SystemTimeToFileTime(&st, &check))
        return std::nullopt;
    return SystemTimeToDateTime(st);
}

namespace {

// The Thursday of the ISO week holding the date decides the week's year.
TDateTime ThursdayOf(TDateTime value) {
    double day = WholeDay(value);
    int isoDay = (DayOfWeek(day) + 6) % 7; // Monday 0 .. Sunday 6
    return day - isoDay + 3;
}

} // namespace

int IsoWeekOf(TDateTime value) {
    TDateTime thursday = ThursdayOf(value);
    SYSTEMTIME st = DateTimeToSystemTime(thursday);
    SYSTEMTIME jan1{};
    jan1.wYear = st.wYear;
    jan1.wMonth = 1;
    jan1.wDay = 1;
    double dayOfYear = thursday - SystemTimeToDateTime(jan1);
    return static_cast<int>(dayOfYear) / 7 + 1;
}

int IsoWeekYearOf(TDateTime value) {
    return DateTimeToSystemTime(ThursdayOf(value)).wYear;
}

double WholeDay(TDateTime value) {
    return std::floor(std::round(value * MsPerDay) / MsPerDay);
}

long long WholeHour(TDateTime value) {
    return static_cast<long long>(std::floor(std::round(value * MsPerDay) / MsPerHour));
}
