#include "core/Text.h"
#include "logging/base/LoggerBase.h"
#include "logging/LoggingFixtures.h"
#include "logging/base/NxLogAppenderFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class NxLogFile : public testing::Test {
protected:
    void Write(TNxLogAppenderFile& appender, const std::wstring& text) {
        TNxLoggerMessage m(L"X", L"3000", L"u", NXLL_INFO, L"Svc", text, L"none", L"", L"42",
                           nullptr);
        appender.append(m);
    }
    std::wstring UtcDate() {
        return FormatDateTime(L"yyyy.mm.dd", UtcNow(), FixedFormatSettings());
    }
    std::string Read(const std::wstring& name) { return test::ReadTextFile(Folder.Path() + name); }

    test::TTempFolder Folder;
};

TEST_F(NxLogFile, EachStrategyWritesItsFile) {
    TNxLogAppenderFile appender(Folder.Path(), L"X");
    Write(appender, L"new files");
    appender.setStrategy(NXLFS_SINGLEFILE);
    Write(appender, L"single");
    appender.setStrategy(NXLFS_RENAME);
    Write(appender, L"rename");
    EXPECT_NE(Read(L"X_" + UtcDate() + L".nxlog").find("|info.Svc|new files|3000|u|none||42\r\n"),
              std::string::npos);
    EXPECT_NE(Read(L"X_all.nxlog").find("|single|"), std::string::npos);
    EXPECT_NE(Read(L"X_current.nxlog").find("|rename|"), std::string::npos);
}

TEST_F(NxLogFile, LinesAreUtf8AndAppended) {
    TNxLogAppenderFile appender(Folder.Path() + L"made\\here", L"X");
    appender.setStrategy(NXLFS_SINGLEFILE);
    Write(appender, L"caf\xE9");
    Write(appender, L"two");
    std::string text = Read(L"made\\here\\X_all.nxlog");
    EXPECT_NE(text.find("|caf\xC3\xA9|"), std::string::npos) << text;
    EXPECT_LT(text.find("|caf"), text.find("|two|"));
}

TEST_F(NxLogFile, RenameMovesTheCurrentFileWhenTheUtcDayChanges) {
    test::TFixedClock clock(test::DateTimeOf(2024, 1, 31, 12));
    TNxLogAppenderFile appender(Folder.Path(), L"X");
    appender.setStrategy(NXLFS_RENAME);
    Write(appender, L"first day");
    clock.Set(test::DateTimeOf(2024, 2, 1, 12));
    Write(appender, L"second day");
    std::string moved = Read(L"X_from_2024.02.01.nxlog");
    std::string current = Read(L"X_current.nxlog");
    EXPECT_NE(moved.find("first day"), std::string::npos);
    EXPECT_EQ(moved.find("second day"), std::string::npos);
    EXPECT_NE(current.find("second day"), std::string::npos);
    EXPECT_EQ(current.find("first day"), std::string::npos);
}

// Another process has already written the dated file, so the move can never succeed: the new
// day begins all the same and the lines go to the current file, without a wait for each.
TEST_F(NxLogFile, ARenameThatCannotSucceedLosesNoLine) {
    test::TFixedClock clock(test::DateTimeOf(2024, 1, 31, 12));
    TNxLogAppenderFile appender(Folder.Path(), L"X");
    appender.setStrategy(NXLFS_RENAME);
    Write(appender, L"first day");
    test::WriteTextFile(Folder.Path() + L"X_from_2024.02.01.nxlog", "other process\r\n");
    clock.Set(test::DateTimeOf(2024, 2, 1, 12));
    DWORD start = GetTickCount();
    for (const wchar_t* text : {L"second", L"third", L"fourth"})
        Write(appender, text);
    EXPECT_LT(GetTickCount() - start, 400u);
    std::string current = Read(L"X_current.nxlog");
    for (const char* text : {"first day", "|second|", "|third|", "|fourth|"})
        EXPECT_NE(current.find(text), std::string::npos) << text;
    EXPECT_EQ(Read(L"X_from_2024.02.01.nxlog"), "other process\r\n");
}

TEST_F(NxLogFile, ABusyFileIsRetriedAndAFileThatStaysBusyDropsTheLine) {
    std::wstring path = Folder.Path() + L"X_all.nxlog";
    test::WriteTextFile(path, "");
    TNxLogAppenderFile appender(Folder.Path(), L"X");
    appender.setStrategy(NXLFS_SINGLEFILE);
    {
        TFileHandle holder(
            CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        // About eleven attempts 50 ms apart, then the line is given up without an exception.
        DWORD start = GetTickCount();
        EXPECT_NO_THROW(Write(appender, L"lost"));
        EXPECT_GE(GetTickCount() - start, 400u);
    }
    TFileHandle holder(
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    std::thread release([&holder] {
        Sleep(150);
        holder.Reset();
    });
    Write(appender, L"kept");
    release.join();
    std::string text = Read(L"X_all.nxlog");
    EXPECT_EQ(text.find("lost"), std::string::npos);
    EXPECT_NE(text.find("kept"), std::string::npos);
}

TEST(NxLogBase, TheProcessHasOneBaseLoggerWithOneFileAppender) {
    TNxLogger& base = GetBaseLogger();
    EXPECT_EQ(&base, &GetBaseLogger());
    EXPECT_EQ(base.getLevel(), NXLL_INFO);
    ASSERT_EQ(base.getAppenderCount(), 1);
    auto file = dynamic_cast<TNxLogAppenderFile*>(base.getAppender(0));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->getStrategy(), NXLFS_NEWFILES);
}

} // namespace
