#include "logging/Logger.h"
#include "logging/RecordingAppender.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace {

// Every test starts from a fresh facade and leaves none behind.
class LoggerFacade : public testing::Test {
protected:
    void SetUp() override {
        TNvLogger::Reset();
        GetLogger().addAppender(&Appender);
    }
    void TearDown() override { TNvLogger::Reset(); }

    TRecordingAppender Appender;
};

struct TSender : TObject {
    std::wstring ClassName() const override { return L"TMainForm"; }
};

TEST(LoggerCreation, ManyThreadsRacingOnTheFirstCallGetOneLogger) {
    TNvLogger::Reset();
    std::vector<TNvLogger*> seen(16, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = &GetLogger(); });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(std::set<TNvLogger*>(seen.begin(), seen.end()).size(), 1u);
    EXPECT_EQ(seen[0], &GetLogger());
}

TEST(LoggerCreation, ResetGivesAFreshLoggerWithDefaults) {
    GetLogger().SetActive(false);
    TNvLogger::Reset();
    TNvLogger& fresh = GetLogger();
    EXPECT_TRUE(fresh.Active());
    EXPECT_EQ(fresh.getLevel(), NXLL_DEBUG);
    // Only the standard appenders, in their order, all switched off.
    ASSERT_EQ(fresh.getAppenderCount(), 3);
    EXPECT_EQ(fresh.getAppender(0), &fresh.DbMon());
    EXPECT_EQ(fresh.getAppender(1), &fresh.EventViewer());
    EXPECT_EQ(fresh.getAppender(2), &fresh.TextFile());
    EXPECT_FALSE(fresh.DbMon().Active() || fresh.EventViewer().Active() ||
                 fresh.TextFile().Active());
}

TEST_F(LoggerFacade, TraceTypesBecomeLevelsAndReportingWritesNothing) {
    GetLogger().Write(L"i", ttInformation);
    GetLogger().Write(L"w", ttWarning);
    GetLogger().Write(L"e", ttError);
    GetLogger().Write(L"d", ttDebug);
    GetLogger().Write(L"r", ttReporting);
    std::vector<std::pair<std::wstring, TNxLoggerLevel>> got;
    for (const auto& m : Appender.Messages)
        got.emplace_back(m.getMessage(), m.getLevel());
    EXPECT_EQ(got,
              (std::vector<std::pair<std::wstring, TNxLoggerLevel>>{
                  {L"i", NXLL_INFO}, {L"w", NXLL_WARN}, {L"e", NXLL_ERROR}, {L"d", NXLL_DEBUG}}));
}

TEST_F(LoggerFacade, SendersBecomeTheModule) {
    TSender form;
    GetLogger().Write(&form, L"UninstallFolder()", ttInformation);
    GetLogger().Write(TSenderText{L"TNorvaVariables"}, L"x", ttInformation);
    GetLogger().Write(static_cast<const TObject*>(nullptr), L"none", ttWarning);
    GetLogger().Write(L"plain", ttWarning);
    ASSERT_EQ(Appender.Messages.size(), 4u);
    EXPECT_EQ(Appender.Messages[0].getModule(), L"TMainForm");
    EXPECT_EQ(Appender.Messages[0].getCategory(), L"none");
    EXPECT_EQ(Appender.Messages[1].getModule(), L"TNorvaVariables");
    // No sender object writes exactly as the plain form does.
    for (int i : {2, 3}) {
        EXPECT_EQ(Appender.Messages[i].getModule(), L"");
        EXPECT_EQ(Appender.Messages[i].getCategory(), L"");
    }
}

TEST_F(LoggerFacade, FormatFormsFormatBeforeWriting) {
    TSender form;
    GetLogger().Write(L"  deleting path : %s", {L"C:\\x"}, ttInformation);
    GetLogger().Write(&form, L"%d of %d", {1, 2}, ttInformation);
    GetLogger().Write(TSenderText{L"S"}, L"%s", {L"t"}, ttInformation);
    ASSERT_EQ(Appender.Messages.size(), 3u);
    EXPECT_EQ(Appender.Messages[0].getMessage(), L"  deleting path : C:\\x");
    EXPECT_EQ(Appender.Messages[1].getMessage(), L"1 of 2");
    EXPECT_EQ(Appender.Messages[2].getMessage(), L"t");
}

TEST_F(LoggerFacade, AFormatThatDoesNotFitRaisesEvenWhenNothingIsWritten) {
    TSender form;
    GetLogger().SetActive(false);
    EXPECT_THROW(GetLogger().Write(L"%d", {L"x"}, ttReporting), EConvertError);
    EXPECT_THROW(GetLogger().Write(&form, L"%s %s", {L"x"}, ttInformation), EConvertError);
    EXPECT_THROW(GetLogger().Write(TSenderText{L"S"}, L"%d", {L"x"}, ttDebug), EConvertError);
}

TEST_F(LoggerFacade, InactiveWritesNothing) {
    TSender form;
    GetLogger().SetActive(false);
    GetLogger().Write(L"a", ttInformation);
    GetLogger().Write(&form, L"b", ttError);
    EXPECT_TRUE(Appender.Messages.empty());
    GetLogger().SetActive(true);
    GetLogger().Write(L"c", ttInformation);
    EXPECT_EQ(Appender.Messages.size(), 1u);
}

TEST_F(LoggerFacade, PlainFormsLetAllButLoggerErrorsThrough) {
    Appender.Fail = [] {
        throw Exception(L"Cannot create file");
    };
    EXPECT_THROW(GetLogger().Write(L"x", ttInformation), Exception);
    EXPECT_THROW(GetLogger().Write(L"%s", {L"x"}, ttInformation), Exception);
    Appender.Fail = [] {
        throw ELoggerError(L"bad appender");
    };
    EXPECT_NO_THROW(GetLogger().Write(L"x", ttInformation));
}

TEST_F(LoggerFacade, SenderFormsCatchEverything) {
    TSender form;
    for (auto fail : std::vector<std::function<void()>>{
             [] { throw Exception(L"Cannot create file"); },
             [] { throw ELoggerError(L"bad appender"); },
             [] { throw std::runtime_error("foreign"); },
             [] { throw 42; },
         }) {
        Appender.Fail = fail;
        EXPECT_NO_THROW(GetLogger().Write(&form, L"x", ttInformation));
        EXPECT_NO_THROW(GetLogger().Write(TSenderText{L"S"}, L"%s", {L"x"}, ttInformation));
    }
}

// What reached ReportEventW, as Wine prints it on its eventlog channel, and what the probe
// printed itself.
std::string EventLogOf(const std::wstring& arguments) {
    size_t before = test::CapturedStderr().size();
    auto result = test::Run(L"\"" + test::HelperPath(L"logger_probe.exe") + L"\" " + arguments,
                            {L"WINEDEBUG=err+eventlog,warn+eventlog"});
    return test::CapturedStderr().substr(before) + result.Output;
}

TEST(LoggerReports, FailuresOfTheOutputReachTheEventLog) {
    std::string plain = EventLogOf(L"plain-logger-error \"bad appender\"");
    EXPECT_NE(plain.find("err:eventlog"), std::string::npos) << plain;
    EXPECT_NE(plain.find("Write failed (bad appender)"), std::string::npos) << plain;
    EXPECT_NE(plain.find("returned"), std::string::npos) << plain;

    std::string sender = EventLogOf(L"sender-failure \"Cannot create file\"");
    EXPECT_NE(sender.find("warn:eventlog"), std::string::npos) << sender;
    EXPECT_NE(sender.find("Cannot create file"), std::string::npos) << sender;
    EXPECT_NE(sender.find("returned"), std::string::npos) << sender;
}

TEST(LoggerReports, AReportThatDoesNotFormatIsStillWritten) {
    std::string out = EventLogOf(L"report-warning \"50% done\"");
    EXPECT_NE(out.find("50% done"), std::string::npos) << out;
}

} // namespace
