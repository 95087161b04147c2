#include "core/Text.h"
#include "logconfig/ConfigFixture.h"
#include "logconfig/LoggerConfig.h"
#include "logging/support/DateFormat.h"
#include "logging/support/ProcessInfo.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace {

class IniConfig : public testing::Test {
protected:
    // The sections of the file with their keys and values, as the platform reads them.
    std::map<std::wstring, std::map<std::wstring, std::wstring>> Read() {
        TIniFile ini(Ini);
        std::map<std::wstring, std::map<std::wstring, std::wstring>> result;
        for (const wchar_t* section : {L"Trace", L"DbMon", L"EventViewer", L"TextFile", L"Other"})
            for (const std::wstring& key : ini.ReadSection(section))
                result[section][key] = ini.ReadString(section, key, L"?");
        return result;
    }
    void Write(const std::string& text) { test::WriteTextFile(Ini, text); }

    test::TTempFolder Folder;
    const std::wstring Ini = Folder.Path() + L"trace.ini";
};

TEST_F(IniConfig, EverySettingSurvivesASaveAndARead) {
    TNvLogger saved, read;
    test::ConfigureEverything(saved, Folder.Path());
    TLoggerConfig::SaveAs(saved, Ini, false);
    TLoggerConfig::Initialize(read, Ini);
    EXPECT_EQ(test::Settings(read), test::Settings(saved));
}

TEST_F(IniConfig, TheDefaultsSaveOnlyTheSwitchesAndReadBackUnchanged) {
    TNvLogger saved;
    TLoggerConfig::SaveAs(saved, Ini, true);
    using TSection = std::map<std::wstring, std::wstring>;
    EXPECT_EQ(Read(), (std::map<std::wstring, TSection>{{L"Trace", {{L"Active", L"1"}}},
                                                        {L"DbMon", {{L"Active", L"0"}}},
                                                        {L"EventViewer", {{L"Active", L"0"}}},
                                                        {L"TextFile", {{L"Active", L"0"}}}}));
    TNvLogger read;
    TLoggerConfig::Initialize(read, Ini);
    EXPECT_EQ(test::Settings(read), test::Settings(saved));
}

// Saving replaces the logger's sections whole and leaves the others alone.
TEST_F(IniConfig, SavingReplacesOnlyTheLoggersSections) {
    Write("[Other]\r\nKept=1\r\n[DbMon]\r\nStale=1\r\nSeparator=#\r\n[Trace]\r\nAsync=1\r\n");
    TNvLogger saved;
    TLoggerConfig::SaveAs(saved, Ini, false);
    auto sections = Read();
    EXPECT_EQ(sections[L"Other"], (std::map<std::wstring, std::wstring>{{L"Kept", L"1"}}));
    EXPECT_EQ(sections[L"DbMon"], (std::map<std::wstring, std::wstring>{{L"Active", L"0"}}));
    EXPECT_EQ(sections[L"Trace"], (std::map<std::wstring, std::wstring>{{L"Active", L"1"}}));
}

TEST_F(IniConfig, ValueFormsOfAFileWrittenByHand) {
    Write("[Trace]\r\n"
          "Active=0\r\n"
          "ASyncDelay=0x20\r\n"
          "[DbMon]\r\n"
          "Active=2\r\n"                 // any number but 0 is True
          "TraceTypes=Error;Warning\r\n" // read with ";" as well
          "IncludeDate=1\r\n"
          "IncludeThreadId=no\r\n" // no integer: the default, on
          "IncludeTime=$0\r\n"
          "Separator=\" | \"\r\n" // quoted to keep its blanks
          "DateFormat=yyyy\r\n"
          "[EventViewer]\r\n"
          "Source=H3Events\r\n"
          "[TextFile]\r\n"
          "CleanUpKeep=$10\r\n"
          "KeepOpen=yes\r\n" // no integer: the default, on
          "RefreshRate=hourly\r\n"
          "NameFormat=Bogus\r\n" // unknown: NameDate
          "Extension=\r\n");
    TNvLogger read;
    read.TextFile().SetNameFormat(nfDateName);
    read.TextFile().SetOutputDir(Folder.Path());
    TLoggerConfig::Initialize(read, Ini);
    EXPECT_FALSE(read.Active());
    EXPECT_EQ(read.ASyncDelay(), 32);
    const TNorvaAppenderDbMon& dbmon = read.DbMon();
    EXPECT_TRUE(dbmon.Active());
    EXPECT_EQ(dbmon.TraceTypes(), (TTraceTypes{ttWarning, ttError}));
    EXPECT_EQ(dbmon.Prefixes(), (TPrefixes{pfxDate, pfxThreadID}));
    EXPECT_EQ(dbmon.Separator(), L" | ");
    EXPECT_EQ(dbmon.DateFormat(), L"yyyy");
    EXPECT_EQ(read.EventViewer().Source(), L"H3Events");
    const TNorvaAppenderTextFile& file = read.TextFile();
    EXPECT_EQ(file.Keep(), 16);
    EXPECT_TRUE(file.KeepOpen());
    EXPECT_EQ(file.RefreshRate(), rrHourly);
    EXPECT_EQ(file.NameFormat(), nfNameDate);
    EXPECT_EQ(file.Extension(), L"");
    EXPECT_EQ(file.OutputDir(), Folder.Path()); // absent: the current folder stays
}

// The platform drops the blanks around a value and one pair of quotes around it: a value that
// begins or ends with a blank, or that a pair of quotes encloses, is saved quoted and reads back
// as it was; any other value is saved as it is.
TEST_F(IniConfig, BlanksAndQuotesAtTheEndsOfAValueSurviveASave) {
    struct TCase {
        const wchar_t* Value;
        const char* Line; // the line the file holds
    } cases[] = {
        {L" - ", "Separator=\" - \""},
        {L"- ", "Separator=\"- \""},
        {L" -", "Separator=\" -\""},
        {L"\t", "Separator=\"\t\""},
        {L"\"-\"", "Separator=\"\"-\"\""},
        {L"'-'", "Separator=\"'-'\""},
        {L"\"-", "Separator=\"-"},
        {L"-'", "Separator=-'"},
        {L"'-\"", "Separator='-\""},
        {L"a \"b\" c", "Separator=a \"b\" c"},
        {L"#", "Separator=#"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.Value));
        DeleteFileW(Ini.c_str());
        TNvLogger saved;
        saved.DbMon().SetSeparator(c.Value);
        TLoggerConfig::SaveAs(saved, Ini, false);
        const std::string text = test::ReadTextFile(Ini);
        EXPECT_NE(text.find(std::string("\r\n") + c.Line + "\r\n"), std::string::npos) << text;
        TNvLogger read;
        TLoggerConfig::Initialize(read, Ini);
        EXPECT_EQ(read.DbMon().Separator(), c.Value);
    }
}

TEST_F(IniConfig, AnEmptyTraceTypesValueKeepsTheSet) {
    Write("[DbMon]\r\nActive=1\r\nTraceTypes=\r\n");
    TNvLogger read;
    read.DbMon().SetTraceTypes({ttDebug});
    TLoggerConfig::Initialize(read, Ini);
    EXPECT_TRUE(read.DbMon().Active());
    EXPECT_EQ(read.DbMon().TraceTypes(), TTraceTypes{ttDebug});
}

TEST_F(IniConfig, AnUnknownNameStopsTheReadingAndWhatWasReadStays) {
    struct {
        const char* Section;
        const char* Line;
        const wchar_t* Message;
    } cases[] = {
        {"DbMon", "TraceTypes=Information,Warnings", L"Unknown trace type \"Warnings\""},
        {"DbMon", "TraceTypes=Information, Warning", L"Unknown trace type \" Warning\""},
        {"DbMon", "TraceTypes=Information;;Warning", L"Unknown trace type \"\""},
        {"TextFile", "RefreshRate=Monthly", L"Unknown refresh rate type \"Monthly\""},
    };
    for (const auto& c : cases) {
        Write(std::string("[Trace]\r\nActive=0\r\n[") + c.Section + "]\r\nActive=1\r\n" + c.Line +
              "\r\n");
        TNvLogger read;
        try {
            TLoggerConfig::Initialize(read, Ini);
            ADD_FAILURE() << c.Line;
        } catch (const ELoggerError& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
        EXPECT_FALSE(read.Active()) << c.Line;
        EXPECT_TRUE(c.Section[0] == 'D' ? read.DbMon().Active() : read.TextFile().Active())
            << c.Line;
    }
}

// Only the text file's section, switching it on: the rest keeps its defaults but for the
// formats, which fall back to the locale's, and the clean-up runs at once.
TEST_F(IniConfig, ATextFileSectionAloneSwitchesItOnAndCleansUpAtOnce) {
    const std::wstring exe = ProcessInfo::ExeFileName();
    for (int day = 1; day <= 30; ++day) {
        std::wstring name = Folder.Path() + exe + L"_202401" + (day < 10 ? L"0" : L"") +
                            std::to_wstring(day) + L".log";
        test::WriteTextFile(name, "x");
        TFileHandle file(CreateFileW(name.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                     0, nullptr));
        SYSTEMTIME st{2024, 1, 0, static_cast<WORD>(day), 12, 0, 0, 0};
        FILETIME ft;
        SystemTimeToFileTime(&st, &ft);
        ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &ft));
    }
    test::WriteTextFile(Folder.Path() + L"other.log", "x");
    Write("[TextFile]\r\nActive=1\r\n");

    TNvLogger read, fresh;
    for (TNvLogger* logger : {&read, &fresh})
        logger->TextFile().SetOutputDir(Folder.Path());
    read.TextFile().SetDateFormat(L"yy");
    read.TextFile().SetTimeFormat(L"hh");
    TLoggerConfig::Initialize(read, Ini);
    fresh.TextFile().SetActive(true);
    EXPECT_EQ(test::Settings(read), test::Settings(fresh));
    EXPECT_NE(read.TextFile().LastCleanUp(), 0.0);
    EXPECT_FALSE(test::FileExists(Folder.Path() + exe + L"_20240101.log"));
    EXPECT_FALSE(test::FileExists(Folder.Path() + exe + L"_20240102.log"));
    EXPECT_TRUE(test::FileExists(Folder.Path() + exe + L"_20240103.log"));
    EXPECT_TRUE(test::FileExists(Folder.Path() + L"other.log"));
}

// A file without the text file's section leaves the text file's settings as they are, as the
// XML and registry stores do.
TEST_F(IniConfig, AMissingSectionLeavesItsAppenderAlone) {
    Write("[Trace]\r\nActive=1\r\n[DbMon]\r\nActive=1\r\n");
    TNvLogger read;
    read.TextFile().SetOutputDir(Folder.Path());
    read.TextFile().SetExtension(L"txt");
    read.TextFile().SetKeep(3);
    read.TextFile().SetKeepOpen(false);
    const auto before = test::Settings(read);
    TLoggerConfig::Initialize(read, Ini);
    read.DbMon().SetActive(false); // the one thing the file sets
    EXPECT_EQ(test::Settings(read), before);
}

// The text file's section has one key for a column and the header item of the same name; the
// header item is written last, and reading sets both from it.
TEST_F(IniConfig, AColumnAndAHeaderItemShareTheirKey) {
    TNvLogger saved;
    saved.TextFile().SetPrefixes({pfxTime, pfxThreadID, pfxAppName});
    saved.TextFile().SetHeaders({hdAppVersion, hdUser});
    TLoggerConfig::SaveAs(saved, Ini, false);
    EXPECT_EQ(Read()[L"TextFile"][L"IncludeAppName"], L"0");
    TNvLogger read;
    TLoggerConfig::Initialize(read, Ini);
    EXPECT_FALSE(read.TextFile().Prefixes().Contains(pfxAppName));
    EXPECT_FALSE(read.TextFile().Headers().Contains(hdAppName));
}

} // namespace
