#include "logging/support/DateFormat.h"

#include <windows.h>

#include <cmath>
#include <mutex>

// Declared only for newer Windows versions; older ones answer it with an error.
#ifndef LOCALE_SSHORTTIME
#define LOCALE_SSHORTTIME 0x00000079
#endif

namespace {

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

namespace {

// The settings read last and the minute of the line they were read for.
struct TMinuteSettings {
    std::mutex Lock;
    std::shared_ptr<const TFormatSettings> Settings;
    long long Minute = 0;
};

TMinuteSettings& MinuteSettings() {
    static TMinuteSettings settings;
    return settings;
}

} // namespace

void RefreshRegionalSettings() {
    TMinuteSettings& minuteSettings = MinuteSettings();
    std::lock_guard<std::mutex> guard(minuteSettings.Lock);
    minuteSettings.Settings.reset();
}

std::shared_ptr<const TFormatSettings> LocaleFormatSettingsOfMinute(TDateTime At) {
    TMinuteSettings& minuteSettings = MinuteSettings();
    auto& cached = minuteSettings.Settings;
    auto& cachedMinute = minuteSettings.Minute;
    const long long minute = static_cast<long long>(std::floor(At * 24 * 60));
    std::lock_guard<std::mutex> guard(minuteSettings.Lock);
    if (!cached || minute != cachedMinute) {
        cached = std::make_shared<const TFormatSettings>(LocaleFormatSettings());
        cachedMinute = minute;
    }
    return cached;
}

const TFormatSettings& FixedFormatSettings() {
    static const TFormatSettings settings = MakeFixedSettings();
    return settings;
}
