#include "logging/support/DateFormat.h"

#include <cmath>
#include <cwctype>

namespace {

constexpr double MsPerDay = 86400000.0;
constexpr double MsPerHour = 3600000.0;

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

// The Thursday of the ISO week holding the date decides the week's year.
TDateTime ThursdayOf(TDateTime value) {
    double day = WholeDay(value);
    int isoDay = (DayOfWeek(day) + 6) % 7; // Monday 0 .. Sunday 6
    return day - isoDay + 3;
}

} // namespace

// Day 0 (30 December 1899) was a Saturday.
int DayOfWeek(TDateTime value) {
    long long day = static_cast<long long>(WholeDay(value));
    return static_cast<int>(((day + 6) % 7 + 7) % 7);
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
