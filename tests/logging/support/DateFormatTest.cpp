#include "logging/support/DateFormat.h"
#include "logging/LoggingFixtures.h"

#include <gtest/gtest.h>

namespace {

using test::DateTimeOf;

struct TPatternCase {
    const wchar_t* Pattern;
    const wchar_t* Expected;
};

TEST(DateFormat, PatternLettersWithTheFixedSettings) {
    const TDateTime at = DateTimeOf(2024, 1, 31, 14, 3, 27, 123);
    const TPatternCase cases[] = {
        {L"yyyy-mm-dd", L"2024-01-31"},
        {L"yyyymmdd", L"20240131"},
        {L"d/m/yy", L"31.1.24"},
        {L"HH:mm:ss", L"14:03:27"}, // minutes right after an hour
        {L"hh:nn:ss.zzz", L"14:03:27.123"},
        {L"h:n:s.z", L"14:3:27.123"},
        {L"mm", L"01"}, // a month when no hour precedes
        {L"dddd, d. mmmm yyyy", L"Mittwoch, 31. Januar 2024"},
        {L"ddd mmm", L"Mi Jan"},
        {L"h:mm am/pm", L"2:03 pm"},
        {L"H:MM A/P", L"2:03 P"},
        {L"'yyyy' \"hh\"", L"yyyy hh"},
        {L"c", L"2024.01.31 14:03:27.123"},
        {L"ddddd", L"2024.01.31"},
        {L"tt", L"14:03:27.123"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.Pattern, at, FixedFormatSettings()), c.Expected) << c.Pattern;
}

TEST(DateFormat, MidnightWritesTheDateAlone) {
    EXPECT_EQ(DateTimeToStr(DateTimeOf(2024, 2, 1), FixedFormatSettings()), L"2024.02.01");
    EXPECT_EQ(DateTimeToStr(DateTimeOf(2024, 2, 1, 0, 0, 0, 1), FixedFormatSettings()),
              L"2024.02.01 00:00:00.001");
}

TEST(DateFormat, ReadsWhatTheFixedSettingsWrite) {
    auto value = StrToDateTime(L"2024.01.31 14:03:27", FixedFormatSettings());
    ASSERT_TRUE(value);
    EXPECT_DOUBLE_EQ(*value, DateTimeOf(2024, 1, 31, 14, 3, 27));
    EXPECT_DOUBLE_EQ(*StrToDateTime(L"2024.02.01", FixedFormatSettings()), DateTimeOf(2024, 2, 1));
    for (const wchar_t* bad : {L"", L"2024.13.01", L"2024.02.30", L"31/01/2024", L"2024.01.31 x",
                               L"2024.01.31 25:00", L"2024.01.31 14:03:27 "})
        EXPECT_FALSE(StrToDateTime(bad, FixedFormatSettings())) << bad;
}

// The user's regional formats, read through our pattern letters, write what Windows writes.
TEST(DateFormat, LocaleDefaultsWriteAsTheSystemDoes) {
    TFormatSettings locale = LocaleFormatSettings();
    for (TDateTime at : {DateTimeOf(2024, 1, 31, 14, 3, 27), DateTimeOf(2023, 11, 5, 9, 5, 7)}) {
        SYSTEMTIME st = DateTimeToSystemTime(at);
        wchar_t date[100], time[100];
        ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 100), 0);
        ASSERT_GT(GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 100), 0);
        EXPECT_EQ(FormatDateTime(locale.ShortDateFormat, at, locale), date);
        EXPECT_EQ(FormatDateTime(locale.LongTimeFormat, at, locale), time);
    }
}

// The settings a trace line is written with are read once a minute: a change of the user's
// time separator shows from the next minute of the lines on, and within a minute every line is
// written with the same settings.
TEST(DateFormat, LocaleSettingsOfALineAreReadAgainEachMinute) {
    wchar_t old[16] = {};
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, old, 16), 0);
    const TDateTime minute = DateTimeOf(2031, 5, 6, 7, 8, 1);
    const auto first = LocaleFormatSettingsOfMinute(minute);
    ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, L"."));
    const auto sameMinute = LocaleFormatSettingsOfMinute(minute + 50.0 / 86400);
    const auto nextMinute = LocaleFormatSettingsOfMinute(minute + 60.0 / 86400);
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, old);
    EXPECT_EQ(sameMinute, first);
    EXPECT_EQ(sameMinute->TimeSeparator, old[0]);
    EXPECT_EQ(nextMinute->TimeSeparator, L'.');
    EXPECT_EQ(LocaleFormatSettingsOfMinute(minute + 120.0 / 86400)->TimeSeparator, old[0]);
}

TEST(DateFormat, IsoWeeks) {
    struct {
        TDateTime Date;
        int Week, Year;
    } cases[] = {
        {DateTimeOf(2024, 1, 31), 5, 2024},   {DateTimeOf(2024, 1, 1), 1, 2024},
        {DateTimeOf(2021, 1, 3), 53, 2020},   {DateTimeOf(2024, 12, 30), 1, 2025},
        {DateTimeOf(2026, 12, 31), 53, 2026}, {DateTimeOf(2023, 1, 1), 52, 2022},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsoWeekOf(c.Date), c.Week) << c.Date;
        EXPECT_EQ(IsoWeekYearOf(c.Date), c.Year) << c.Date;
    }
}

} // namespace
