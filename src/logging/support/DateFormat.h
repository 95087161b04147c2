#pragma once
#include "core/DateTime.h"

#include <optional>
#include <memory>
#include <string>

// The settings date-time patterns are written with: separators, the standard formats and
// the month and day names (index 0 is January and Sunday).
struct TFormatSettings {
    wchar_t DateSeparator = L'/';
    wchar_t TimeSeparator = L':';
    std::wstring ShortDateFormat;
    std::wstring LongDateFormat;
    std::wstring ShortTimeFormat;
    std::wstring LongTimeFormat;
    std::wstring TimeAMString;
    std::wstring TimePMString;
    std::wstring ShortMonthNames[12];
    std::wstring LongMonthNames[12];
    std::wstring ShortDayNames[7];
    std::wstring LongDayNames[7];
};

// The user's regional settings, with the Windows time pattern turned into our letters.
TFormatSettings LocaleFormatSettings();
// The same, read again at most once a minute of At (the time of the line they format): the
// user's settings can change at any time, but reading them costs some fifty calls, too much for
// every trace line. Safe from any thread.
std::shared_ptr<const TFormatSettings> LocaleFormatSettingsOfMinute(TDateTime At);
// Reads the user's settings again at the next line, for settings that were just changed.
void RefreshRegionalSettings();
// Fixed settings independent of the locale: yyyy.MM.dd, hh:mm:ss.zzz, German names.
const TFormatSettings& FixedFormatSettings();

// Pattern letters: d dd ddd dddd ddddd dddddd, m mm mmm mmmm (minutes right after an hour),
// yy yyyy, h hh, n nn, s ss, z zzz, t tt, am/pm a/p ampm, c, / and :, quoted text. Case is
// ignored. Raises EConvertError for a pattern that nests standard formats too deeply.
std::wstring FormatDateTime(const std::wstring& pattern, TDateTime value,
                            const TFormatSettings& settings);
// The same, appended to Out.
void AppendDateTime(std::wstring& Out, const std::wstring& pattern, TDateTime value,
                    const TFormatSettings& settings);
// The short date, and the long time unless the value is exactly midnight.
std::wstring DateTimeToStr(TDateTime value, const TFormatSettings& settings);
// Reads "y.m.d[ h:n[:s]]" with the settings' date and time separators; none when malformed.
std::optional<TDateTime> StrToDateTime(const std::wstring& text, const TFormatSettings& settings);

// The day and the hour a time falls in, counted from day 0, after rounding to the millisecond
// as the time is written: 10:00 is never read as 09:59:59.9999.
double WholeDay(TDateTime value);
long long WholeHour(TDateTime value);

// 0 for Sunday to 6 for Saturday.
int DayOfWeek(TDateTime value);

// ISO 8601 week of a date, 1 to 53, and the year that week belongs to.
int IsoWeekOf(TDateTime value);
int IsoWeekYearOf(TDateTime value);
