#include "core/Text.h"
#include "logging/LoggingFixtures.h"
#include "logging/appenders/ModuleInfo.h"
#include "logging/appenders/NorvaAppenderDbMon.h"
#include "logging/appenders/NorvaAppenderEventViewer.h"
#include "logging/appenders/NorvaAppenderTextFile.h"
#include "logging/support/ProcessInfo.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TNxLoggerMessage Message(TNxLoggerLevel level, const std::wstring& module, const std::wstring& text,
                         const Exception* e = nullptr) {
    TNxLoggerMessage m(L"app", L"1", L"u", level, module, text, L"none", L"", L"4242", e);
    m.setLogTimestamp(test::DateTimeOf(2024, 1, 31, 14, 3, 27));
    return m;
}

std::wstring Host() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(name, &size);
    return name;
}

TEST(LineLayout, PrefixColumnsAndSeparators) {
    const std::wstring pid = std::to_wstring(GetCurrentProcessId());
    const std::wstring all = L"W|2024-01-31|14:03:27|" + pid + L"|4242|" + Host() + L"|" +
                             ProcessInfo::ExeFileName() + L"|TMainForm|text|";
    struct {
        TPrefixes Prefixes;
        const wchar_t* Separator;
        TNxLoggerLevel Level;
        const wchar_t* Module;
        const wchar_t* Text;
        std::wstring Expected;
    } cases[] = {
        {{pfxTime},
         L"|",
         NXLL_INFO,
         L"TMainForm",
         L"UninstallFolder()",
         L"I|14:03:27|TMainForm|UninstallFolder()|"},
        {{pfxTime, pfxThreadID},
         L"|",
         NXLL_INFO,
         L"TMainForm",
         L"UninstallFolder()",
         L"I|14:03:27|4242|TMainForm|UninstallFolder()|"},
        {{pfxDate, pfxTime, pfxProcID, pfxThreadID, pfxHost, pfxAppName},
         L"|",
         NXLL_WARN,
         L"TMainForm",
         L"text",
         all},
        {{pfxTime}, L"|", NXLL_ERROR, L"", L"x", L"E|14:03:27||x|"},
        {{pfxTime},
         L" - ",
         NXLL_INFO,
         L"TMainForm",
         L"UninstallFolder()",
         L"I - 14:03:27 - TMainForm - UninstallFolder() - "},
        {{}, L"|", NXLL_DEBUG, L"M", L"a|b\r\nc", L"D|M|a|b\r\nc|"},
        {{pfxProcID}, L"", NXLL_TRACE, L"M", L"t", L"T" + pid + L"Mt"},
        {{}, L";", NXLL_FATAL, L"", L"", L"F;;;"},
    };
    TNorvaAppenderDbMon appender;
    appender.SetDateFormat(L"yyyy-mm-dd");
    appender.SetTimeFormat(L"HH:mm:ss");
    TNorvaFormater formater(appender);
    for (const auto& c : cases) {
        appender.SetPrefixes(c.Prefixes);
        appender.SetSeparator(c.Separator);
        EXPECT_EQ(formater.formatMessage(Message(c.Level, c.Module, c.Text)), c.Expected);
    }
    Exception e(L"boom");
    appender.SetPrefixes({});
    EXPECT_EQ(formater.formatMessage(Message(NXLL_ERROR, L"M", L"x", &e)), L"E;M;x;");
    appender.SetSeperator(L"|");
    EXPECT_EQ(formater.formatMessage(Message(NXLL_ERROR, L"M", L"x", &e)), L"E|M|x|");
}

// A message goes to every appender; each writes it in its own layout, as its settings are
// when it writes, and a message changed after a line was written shows the change.
TEST(LineLayout, OneMessageIsWrittenInTheLayoutOfEachAppender) {
    TNorvaAppenderDbMon first;
    TNorvaAppenderTextFile second;
    for (TNorvaAppender* appender :
         {static_cast<TNorvaAppender*>(&first), static_cast<TNorvaAppender*>(&second)}) {
        appender->SetPrefixes({pfxTime});
        appender->SetTimeFormat(L"HH:mm:ss");
    }
    TNorvaFormater firstLines(first), secondLines(second);
    TNxLoggerMessage m = Message(NXLL_INFO, L"M", L"t");
    struct {
        const wchar_t* Change;
        std::function<void()> Apply;
        const wchar_t* First;
        const wchar_t* Second;
    } steps[] = {
        {L"the same layout", [] {}, L"I|14:03:27|M|t|", L"I|14:03:27|M|t|"},
        {L"another separator", [&] { second.SetSeparator(L";"); }, L"I|14:03:27|M|t|",
         L"I;14:03:27;M;t;"},
        {L"another time pattern",
         [&] { second.SetSeparator(L"|"), second.SetTimeFormat(L"HH:mm"); }, L"I|14:03:27|M|t|",
         L"I|14:03|M|t|"},
        {L"another column",
         [&] {
             second.SetTimeFormat(L"HH:mm:ss"), second.SetPrefixes({pfxTime, pfxThreadID});
         },
         L"I|14:03:27|M|t|", L"I|14:03:27|4242|M|t|"},
        {L"the first changed after its line", [&] { first.SetSeparator(L"/"); }, L"I/14:03:27/M/t/",
         L"I|14:03:27|4242|M|t|"},
        {L"the message changed", [&] { m.setLogMessage(L"u"); }, L"I/14:03:27/M/u/",
         L"I|14:03:27|4242|M|u|"},
    };
    for (const auto& step : steps) {
        step.Apply();
        EXPECT_EQ(firstLines.formatMessage(m), step.First) << step.Change;
        EXPECT_EQ(secondLines.formatMessage(m), step.Second) << step.Change;
        EXPECT_EQ(firstLines.formatMessage(m), step.First) << step.Change << ", written again";
    }
}

TEST(LineLayout, DefaultsComeFromTheUsersRegionalFormats) {
    TNorvaAppenderDbMon appender;
    EXPECT_EQ(appender.Prefixes().Byte(), 10);
    EXPECT_EQ(appender.Separator(), L"|");
    TNorvaFormater formater(appender);
    TNxLoggerMessage m = Message(NXLL_INFO, L"M", L"t");
    SYSTEMTIME st = DateTimeToSystemTime(m.getTimestamp());
    wchar_t date[100], time[100];
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 100);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 100);
    appender.SetPrefixes({pfxDate, pfxTime});
    EXPECT_EQ(formater.formatMessage(m), std::wstring(L"I|") + date + L"|" + time + L"|M|t|");
}

// The twelve-hour clock around midnight and noon, on the time a trace line takes from the
// logging clock: the patterns' own letters, then the user's regional format as Windows writes it.
TEST(LineLayout, TwelveHourClockAtMidnightAndNoon) {
    test::TFixedClock clock(test::DateTimeOf(2024, 1, 31));
    TNorvaAppenderDbMon appender;
    const std::wstring regional = appender.TimeFormat();
    appender.SetPrefixes({pfxTime});
    TNorvaFormater formater(appender);
    auto line = [&](int hour, int minute, const std::wstring& format) {
        clock.Set(test::DateTimeOf(2024, 1, 31, hour, minute, 7));
        appender.SetTimeFormat(format);
        return formater.formatMessage(
            TNxLoggerMessage(L"app", L"1", L"u", NXLL_INFO, L"M", L"t", L"none", L"", nullptr));
    };
    struct {
        int Hour, Minute;
        const wchar_t* Format;
        const wchar_t* Time;
    } cases[] = {
        {0, 15, L"h:nn:ss AM/PM", L"12:15:07 AM"},
        {12, 15, L"h:nn:ss AM/PM", L"12:15:07 PM"},
        {0, 0, L"hh:mm a/p", L"12:00 a"},
        {12, 0, L"hh:mm a/p", L"12:00 p"},
        {11, 59, L"h:mm am/pm", L"11:59 am"},
        {13, 5, L"h:mm am/pm", L"1:05 pm"},
        {23, 59, L"hh:nn AM/PM", L"11:59 PM"},
        {0, 15, L"HH:nn", L"00:15"},
        {12, 15, L"h:nn", L"12:15"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(line(c.Hour, c.Minute, c.Format), L"I|" + std::wstring(c.Time) + L"|M|t|")
            << c.Format << " at " << c.Hour << ":" << c.Minute;
    for (int hour : {0, 12}) {
        SYSTEMTIME st = DateTimeToSystemTime(test::DateTimeOf(2024, 1, 31, hour, 15, 7));
        wchar_t time[100];
        ASSERT_GT(GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 100), 0);
        EXPECT_EQ(line(hour, 15, regional), L"I|" + std::wstring(time) + L"|M|t|") << hour;
    }
}

TEST(LineLayout, EachAppenderAcceptsItsTraceTypesOnlyWhenActive) {
    TNorvaAppenderDbMon dbMon;
    TNorvaAppenderEventViewer eventViewer;
    TNorvaAppenderTextFile textFile;
    EXPECT_EQ(dbMon.TraceTypes().Byte(), 15);
    EXPECT_EQ(eventViewer.TraceTypes().Byte(), 6);
    EXPECT_EQ(textFile.TraceTypes().Byte(), 7);
    const TNxLoggerLevel levels[] = {NXLL_TRACE, NXLL_DEBUG, NXLL_INFO,
                                     NXLL_WARN,  NXLL_ERROR, NXLL_FATAL};
    const struct {
        TNorvaAppender* Appender;
        const char* Accepted; // one letter per level, trace to fatal
    } cases[] = {{&dbMon, "-yyyy-"}, {&eventViewer, "---yy-"}, {&textFile, "--yyy-"}};
    for (const auto& c : cases) {
        for (size_t i = 0; i < 6; ++i) {
            TNxLoggerMessage m = Message(levels[i], L"", L"");
            EXPECT_FALSE(c.Appender->Accepts(m));
            c.Appender->SetActive(true);
            EXPECT_EQ(c.Appender->Accepts(m), c.Accepted[i] == 'y')
                << c.Appender->ClassName() << " level " << i;
            c.Appender->SetActive(false);
        }
    }
    EXPECT_EQ(dbMon.TagName(), L"DbMon");
    EXPECT_EQ(eventViewer.TagName(), L"EventViewer");
    EXPECT_EQ(textFile.TagName(), L"TextFile");
}

TEST(ModuleInfo, VersionOfTheExecutableAndOfOneWithout) {
    EXPECT_EQ(GetModuleVersion(ProcessInfo::ExePath(), L"FileVersion"), L"4.2.0.0");
    EXPECT_EQ(GetModuleVersion(ProcessInfo::ExePath(), L"ProductVersion"), L"4.2.0.0");
    EXPECT_EQ(GetModuleVersion(ProcessInfo::ExePath(), L"NoSuchKey"), L"");
    EXPECT_EQ(GetModuleVersion(test::HelperPath(L"logger_probe.exe"), L"FileVersion"), L"");
    EXPECT_EQ(GetModuleVersion(L"C:\\no\\such\\file.exe", L"FileVersion"), L"");

    TNorvaAppenderDbMon appender;
    TNorvaFormater formater(appender);
    EXPECT_EQ(formater.ApplicationVersion(), L"4.2.0.0");
    EXPECT_EQ(formater.ApplicationName(), ProcessInfo::ExeFileName());
    EXPECT_EQ(formater.ApplicationHost(), Host());
    EXPECT_EQ(formater.ApplicationHost(), GetLogHost());
    EXPECT_EQ(formater.ApplicationProcessId(), std::to_wstring(GetCurrentProcessId()));
    EXPECT_FALSE(formater.ApplicationUser().empty());
    EXPECT_EQ(formater.ApplicationUser(), GetLogUser());
}

} // namespace
