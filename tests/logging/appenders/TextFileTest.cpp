#include "core/Text.h"
#include "logging/support/LogFiles.h"
#include "logging/Logger.h"
#include "logging/LoggingFixtures.h"
#include "logging/support/ProcessInfo.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct TSender : TObject {
    std::wstring ClassName() const override { return L"TMainForm"; }
};

// The facade's text file set up as the program entry does, writing into a fresh folder, at
// 31 January 2024 14:03:27 unless a test moves the clock.
class TextFile : public testing::Test {
protected:
    void SetUp() override {
        TNvLogger::Reset();
        TNorvaAppenderTextFile& file = File();
        file.SetOutputDir(Folder.Path());
        file.SetTraceTypes(AllWritableTraceTypes);
        file.SetPrefixes({pfxTime});
        file.SetTimeFormat(L"HH:mm:ss");
        file.SetHeaders({hdAppName, hdAppVersion});
        file.SetActive(true);
    }
    void TearDown() override { TNvLogger::Reset(); }

    static TNorvaAppenderTextFile& File() { return GetLogger().TextFile(); }
    std::string Read(const std::wstring& name) { return test::ReadTextFile(Folder.Path() + name); }
    std::vector<std::wstring> Names() {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        TFindHandle find(FindFirstFileW((Folder.Path() + L"*").c_str(), &data));
        if (find)
            do
                if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    names.push_back(data.cFileName);
            while (FindNextFileW(find.Get(), &data));
        std::sort(names.begin(), names.end());
        return names;
    }

    const std::wstring Exe = ProcessInfo::ExeFileName();
    const std::string Header = WideToAnsi(ProcessInfo::ExeFileName()) + "|4.2.0.0|\r\n";
    test::TTempFolder Folder;
    test::TFixedClock Clock{test::DateTimeOf(2024, 1, 31, 14, 3, 27)};
};

std::wstring Hex4(DWORD pid) {
    wchar_t text[16];
    swprintf(text, 16, L"%04X", static_cast<unsigned>(pid));
    return text;
}

TEST_F(TextFile, FileNamesForEveryRateAndNameFormat) {
    const std::wstring pid = Hex4(GetCurrentProcessId());
    struct {
        TRefreshRate Rate;
        TNameFormat Format;
        int Hour;
        int Index;
        std::wstring Name;
    } cases[] = {
        {rrDaily, nfNameDate, 14, 0, Exe + L"_20240131.log"},
        {rrDaily, nfNameDate, 14, 1, Exe + L"_20240131_1.log"},
        {rrDaily, nfDateName, 14, 0, L"20240131_" + Exe + L".log"},
        {rrHourly, nfDateName, 9, 0, L"20240131_" + Exe + L"_9.log"},
        {rrHourly, nfNameDate, 0, 2, Exe + L"_20240131_0_2.log"},
        {rrWeekly, nfNameDate, 14, 0, Exe + L"_20240131_5.log"},
        {rrDaily, nfNamePidDate, 14, 0, Exe + L"_" + pid + L"__20240131.log"},
        {rrHourly, nfNamePidDate, 23, 0, Exe + L"_" + pid + L"__20240131_23.log"},
        {rrWeekly, nfDatePidName, 14, 3, L"20240131__" + pid + L"_" + Exe + L"_5_3.log"},
    };
    EXPECT_GE(pid.size(), 4u);
    for (const auto& c : cases) {
        Clock.Set(test::DateTimeOf(2024, 1, 31, c.Hour, 15));
        File().SetRefreshRate(c.Rate);
        File().SetNameFormat(c.Format);
        EXPECT_EQ(File().BuildFileName(c.Index), Folder.Path() + c.Name);
    }
    // The folder gets its delimiter; an empty extension still leaves the dot.
    File().SetOutputDir(Folder.Path() + L"sub");
    File().SetExtension(L"");
    EXPECT_EQ(File().BuildFileName(0),
              Folder.Path() + L"sub\\20240131__" + pid + L"_" + Exe + L"_5.");
}

TEST_F(TextFile, MasksForEveryRateAndNameFormat) {
    struct {
        TNameFormat Format;
        std::wstring Daily, Other;
    } cases[] = {
        {nfNameDate, Exe + L"_*", Exe + L"_*_*"},
        {nfDateName, L"*_" + Exe, L"*_" + Exe + L"_*"},
        {nfNamePidDate, Exe + L"_*__*", Exe + L"_*__*_*"},
        {nfDatePidName, L"*__*_" + Exe, L"*__*_" + Exe + L"_*"},
    };
    for (const auto& c : cases) {
        File().SetNameFormat(c.Format);
        File().SetRefreshRate(rrDaily);
        EXPECT_EQ(File().BuildFileMask(), Folder.Path() + c.Daily + L".log");
        for (TRefreshRate rate : {rrHourly, rrWeekly}) {
            File().SetRefreshRate(rate);
            EXPECT_EQ(File().BuildFileMask(), Folder.Path() + c.Other + L".log");
        }
    }
    File().SetExtension(L"");
    EXPECT_EQ(File().BuildFileMask(), Folder.Path() + L"*__*_" + Exe + L"_*");
    File().SetRefreshRate(rrNone);
    EXPECT_THROW(File().BuildFileMask(), ELoggerError);
    EXPECT_THROW(File().BuildFileName(0), ELoggerError);
}

TEST_F(TextFile, TheRunsFirstFileStartsWithTheHeader) {
    TSender form;
    GetLogger().Write(L"Trace system initialized.", ttInformation);
    GetLogger().Write(&form, L"UninstallFolder()", ttInformation);
    GetLogger().Write(static_cast<const TObject*>(nullptr), L"x", ttWarning);
    GetLogger().Write(&form, L"dbg", ttDebug);
    File().SetTraceTypes({ttError});
    GetLogger().Write(&form, L"not selected", ttInformation);
    EXPECT_EQ(Read(Exe + L"_20240131.log"), Header + "I|14:03:27||Trace system initialized.|\r\n"
                                                     "I|14:03:27|TMainForm|UninstallFolder()|\r\n"
                                                     "W|14:03:27||x|\r\n"
                                                     "D|14:03:27|TMainForm|dbg|\r\n");
}

TEST_F(TextFile, ASecondRunAppendsItsOwnHeaderToTheSameFile) {
    GetLogger().Write(L"first run", ttInformation);
    SetUp(); // a fresh facade: the next run of the program
    GetLogger().Write(L"second run", ttInformation);
    EXPECT_EQ(Read(Exe + L"_20240131.log"),
              Header + "I|14:03:27||first run|\r\n" + Header + "I|14:03:27||second run|\r\n");
}

TEST_F(TextFile, TextIsWrittenInTheAnsiCodePage) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "prefix code page " << GetACP();
    GetLogger().Write(L"caf\xE9 \x20AC \x4E2D", ttInformation);
    EXPECT_EQ(Read(Exe + L"_20240131.log"), Header + "I|14:03:27||caf\xE9 \x80 ?|\r\n");
}

// With KeepOpen a new period starts a new file; the header belongs to the appender's first file.
TEST_F(TextFile, PeriodChangesOpenTheNextFile) {
    using test::DateTimeOf;
    struct {
        TRefreshRate Rate;
        TDateTime First, Second;
        std::wstring FirstName, SecondName; // equal names: one file
    } cases[] = {
        {rrDaily, DateTimeOf(2024, 1, 31, 23, 59, 59), DateTimeOf(2024, 2, 1, 0, 0, 1),
         Exe + L"_20240131.log", Exe + L"_20240201.log"},
        {rrHourly, DateTimeOf(2024, 1, 31, 9, 59, 59), DateTimeOf(2024, 1, 31, 10),
         Exe + L"_20240131_9.log", Exe + L"_20240131_10.log"},
        {rrHourly, DateTimeOf(2024, 1, 31, 9, 1), DateTimeOf(2024, 2, 1, 9, 2),
         Exe + L"_20240131_9.log", Exe + L"_20240201_9.log"},
        {rrWeekly, DateTimeOf(2024, 2, 4, 23, 59), DateTimeOf(2024, 2, 5, 0, 1),
         Exe + L"_20240204_5.log", Exe + L"_20240205_6.log"},
        {rrWeekly, DateTimeOf(2024, 1, 29, 8), DateTimeOf(2024, 2, 4, 20), Exe + L"_20240129_5.log",
         Exe + L"_20240129_5.log"},
    };
    for (const auto& c : cases) {
        SetUp();
        File().SetRefreshRate(c.Rate);
        Clock.Set(c.First);
        GetLogger().Write(L"one", ttInformation);
        Clock.Set(c.Second);
        GetLogger().Write(L"two", ttInformation);
        TNvLogger::Reset();
        std::string first = Read(c.FirstName), second = Read(c.SecondName);
        if (c.FirstName == c.SecondName) {
            EXPECT_EQ(first.find(Header), 0u) << first;
            EXPECT_NE(first.find("|two|"), std::string::npos) << first;
        } else {
            EXPECT_EQ(first.find(Header), 0u) << first;
            EXPECT_EQ(first.find("|two|"), std::string::npos) << first;
            EXPECT_EQ(second.find(Header), std::string::npos) << second;
            EXPECT_NE(second.find("|two|"), std::string::npos) << second;
        }
        test::RemoveTree(Folder.Path());
        CreateDirectoryW(Folder.Path().c_str(), nullptr);
    }
}

TEST_F(TextFile, AnOpenFileKeepsOtherWritersOutButLetsReadersIn) {
    const std::wstring path = Folder.Path() + Exe + L"_20240131.log";
    GetLogger().Write(L"one", ttInformation);
    auto opens = [&path](DWORD access) {
        return TFileHandle(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr))
            .Valid();
    };
    EXPECT_TRUE(opens(GENERIC_READ));
    EXPECT_FALSE(opens(GENERIC_WRITE));
    EXPECT_TRUE(TNorvaAppenderTextFile::IsFileLocked(path));
    File().Flush();

    // A second appender of the same process moves on to the next free name.
    TNorvaAppenderTextFile other;
    other.SetOutputDir(Folder.Path());
    other.SetActive(true);
    TNxLogger second;
    second.addAppender(&other);
    second.info(L"M", L"second writer");
    EXPECT_NE(Read(Exe + L"_20240131_1.log").find("|M|second writer|"), std::string::npos);

    // Without KeepOpen the file is free between lines.
    TNvLogger::Reset();
    SetUp();
    File().SetKeepOpen(false);
    GetLogger().Write(L"two", ttInformation);
    EXPECT_TRUE(opens(GENERIC_WRITE));
    EXPECT_FALSE(TNorvaAppenderTextFile::IsFileLocked(path));
    GetLogger().Write(L"three", ttInformation);
    std::string text = Read(Exe + L"_20240131.log");
    EXPECT_NE(text.find("||three|"), std::string::npos) << text;
}

TEST_F(TextFile, AReadOnlyFileCountsAsLocked) {
    const std::wstring path = Folder.Path() + Exe + L"_20240131.log";
    test::WriteTextFile(path, "old\r\n");
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(TNorvaAppenderTextFile::IsFileLocked(path));
    EXPECT_FALSE(TNorvaAppenderTextFile::IsFileLocked(path + L".missing"));
    GetLogger().Write(L"line", ttInformation);
    EXPECT_EQ(Read(Exe + L"_20240131.log"), "old\r\n");
    EXPECT_EQ(Read(Exe + L"_20240131_1.log"), Header + "I|14:03:27||line|\r\n");
}

TEST_F(TextFile, AMissingFolderFailsTheLineUnlessForceDirCreatesIt) {
    const std::wstring folder = Folder.Path() + L"a\\b\\";
    File().SetOutputDir(folder);
    try {
        GetLogger().Write(L"lost", ttInformation);
        ADD_FAILURE() << "the plain form let the failure pass";
    } catch (const ELogFileError& e) {
        EXPECT_NE(e.Message().find(folder + Exe + L"_20240131.log"), std::wstring::npos);
    }
    // The sender forms report it instead, and the next line tries again.
    EXPECT_NO_THROW(GetLogger().Write(TSenderText{L"S"}, L"lost too", ttInformation));
    EXPECT_FALSE(test::FileExists(folder));

    SetUp();
    File().SetOutputDir(folder);
    File().SetForceDir(true);
    GetLogger().Write(L"kept", ttInformation);
    EXPECT_EQ(test::ReadTextFile(folder + Exe + L"_20240131.log"),
              Header + "I|14:03:27||kept|\r\n");
}

TEST_F(TextFile, NoneAsRefreshRateNeverWritesAFile) {
    File().SetRefreshRate(rrNone);
    EXPECT_NO_THROW(GetLogger().Write(L"x", ttInformation));
    EXPECT_NO_THROW(GetLogger().Write(TSenderText{L"S"}, L"y", ttError));
    EXPECT_TRUE(Names().empty());
    EXPECT_NE(File().LastCleanUp(), 0);
}

class TextFileCleanUp : public TextFile {
protected:
    // Files named like the appender's, last written on consecutive days of December 2023,
    // plus files of other names that are older still.
    void MakeFiles(int count) {
        for (int day = 1; day <= count; ++day)
            Make(Exe + L"_202312" + Two(day) + L".log", day);
        Make(L"other.log", 0);
        Make(L"Another.exe_20231201.log", 0);
        Make(Exe + L"_20231201.txt", 0);
    }
    void Make(const std::wstring& name, int day) {
        std::wstring path = Folder.Path() + name;
        test::WriteTextFile(path, "x");
        SYSTEMTIME st = DateTimeToSystemTime(test::DateTimeOf(2023, 11, 30, 12) + day);
        FILETIME local, utc;
        SystemTimeToFileTime(&st, &local);
        LocalFileTimeToFileTime(&local, &utc);
        TFileHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        SetFileTime(file.Get(), nullptr, nullptr, &utc);
    }
    static std::wstring Two(int n) { return (n < 10 ? L"0" : L"") + std::to_wstring(n); }
};

TEST_F(TextFileCleanUp, KeepsTheNewestFilesOfItsOwnName) {
    MakeFiles(30);
    GetLogger().Write(L"line", ttInformation);
    std::vector<std::wstring> names = Names();
    for (const wchar_t* day : {L"01", L"02"})
        EXPECT_EQ(std::count(names.begin(), names.end(), Exe + L"_202312" + day + L".log"), 0);
    for (int day = 3; day <= 30; ++day)
        EXPECT_EQ(std::count(names.begin(), names.end(), Exe + L"_202312" + Two(day) + L".log"), 1);
    for (const std::wstring& other :
         {std::wstring(L"other.log"), std::wstring(L"Another.exe_20231201.log"),
          Exe + L"_20231201.txt", Exe + L"_20240131.log"})
        EXPECT_EQ(std::count(names.begin(), names.end(), other), 1) << other;
    // Once per life of the appender.
    MakeFiles(30);
    GetLogger().Write(L"again", ttInformation);
    EXPECT_EQ(Names().size(), 34u);
}

TEST_F(TextFileCleanUp, KeepAndTheCleanUpSwitch) {
    MakeFiles(5);
    File().SetKeep(2);
    File().CleanFiles();
    EXPECT_EQ(Names().size(), 5u); // days 4 and 5 and the three other names
    File().SetKeep(0);
    File().SetCleanUp(false);
    File().CleanFiles();
    EXPECT_EQ(Names().size(), 5u);
    File().SetCleanUp(true);
    File().CleanFiles();
    EXPECT_EQ(Names().size(), 3u);
}

} // namespace
