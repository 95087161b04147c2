#include "logging/base/NxLogFormater.h"
#include "logging/base/NxLogger.h"
#include "logging/RecordingAppender.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

namespace {

TEST(NxLogger, LevelGatesAppendersButOnLogSeesEveryMessage) {
    TNxLogger logger; // NXLL_INFO after creation
    TRecordingAppender appender;
    logger.addAppender(&appender);
    std::vector<std::wstring> logged, appended;
    logger.OnLog = [&](TNxLogger&, TNxLoggerMessage& m) {
        logged.push_back(m.getMessage());
    };
    logger.OnAppend = [&](TNxLogger&, TNxLoggerMessage& m) {
        appended.push_back(m.getMessage());
    };

    logger.debug(L"stopped");
    logger.info(L"passes");
    ASSERT_EQ(appender.Messages.size(), 1u);
    EXPECT_EQ(appender.Messages[0].getMessage(), L"passes");
    EXPECT_EQ(appended, std::vector<std::wstring>{L"passes"});
    EXPECT_EQ(logged, (std::vector<std::wstring>{L"stopped", L"passes"}));
}

TEST(NxLogger, AtDebugLevelEverythingButTracePasses) {
    TNxLogger logger;
    logger.setLevel(NXLL_DEBUG);
    TRecordingAppender appender;
    logger.addAppender(&appender);
    logger.trace(L"t");
    logger.debug(L"d");
    logger.info(L"i");
    logger.warn(L"w");
    logger.error(L"e");
    logger.fatal(L"f");
    std::vector<TNxLoggerLevel> levels;
    for (const auto& m : appender.Messages)
        levels.push_back(m.getLevel());
    EXPECT_EQ(levels, (std::vector<TNxLoggerLevel>{NXLL_DEBUG, NXLL_INFO, NXLL_WARN, NXLL_ERROR,
                                                   NXLL_FATAL}));
}

TEST(NxLogger, LevelQueries) {
    struct {
        TNxLoggerLevel level;
        bool trace, debug, info, warn, error;
    } cases[] = {
        {NXLL_TRACE, true, true, true, true, true},
        {NXLL_DEBUG, false, true, true, true, true},
        {NXLL_INFO, false, false, true, true, true},
        {NXLL_WARN, false, false, false, true, true},
        {NXLL_ERROR, false, false, false, false, true},
        {NXLL_FATAL, false, false, false, false, false},
    };
    TNxLogger logger;
    for (const auto& c : cases) {
        logger.setLevel(c.level);
        SCOPED_TRACE(c.level);
        EXPECT_EQ(logger.getLevel(), c.level);
        EXPECT_EQ(logger.isTraceEnabled(), c.trace);
        EXPECT_EQ(logger.isDebugEnabled(), c.debug);
        EXPECT_EQ(logger.isInfoEnabled(), c.info);
        EXPECT_EQ(logger.isWarnEnabled(), c.warn);
        EXPECT_EQ(logger.isErrorEnabled(), c.error);
        EXPECT_TRUE(logger.isFatalEnabled());
    }
}

TEST(NxLogger, AppendersAreServedInTheOrderAdded) {
    TNxLogger logger;
    std::vector<std::wstring> journal;
    TRecordingAppender a(L"A", &journal), b(L"B", &journal);
    logger.addAppender(&a);
    logger.addAppender(&b);
    logger.info(L"1");
    logger.warn(L"2");
    EXPECT_EQ(journal, (std::vector<std::wstring>{L"A:1", L"B:1", L"A:2", L"B:2"}));
    EXPECT_EQ(logger.getAppenderCount(), 2);
    EXPECT_EQ(logger.getAppender(0), &a);
    EXPECT_EQ(logger.getAppender(1), &b);
    EXPECT_EQ(logger.getAppender(2), nullptr);
    EXPECT_EQ(logger.getAppender(-1), nullptr);
}

TEST(NxLogger, AFailingAppenderEndsTheDispatchAndReleasesTheLock) {
    TNxLogger logger;
    TRecordingAppender failing, later;
    failing.Fail = [] {
        throw Exception(L"disk full");
    };
    logger.addAppender(&failing);
    logger.addAppender(&later);
    int callbacks = 0;
    logger.OnLog = [&](TNxLogger&, TNxLoggerMessage&) {
        ++callbacks;
    };
    logger.OnAppend = logger.OnLog;

    EXPECT_THROW(logger.info(L"x"), Exception);
    EXPECT_TRUE(later.Messages.empty());
    EXPECT_EQ(callbacks, 0);

    // The log lock was released: another thread can still dispatch.
    failing.Fail = nullptr;
    std::thread other([&] { logger.info(L"y"); });
    other.join();
    EXPECT_EQ(later.Messages.size(), 1u);
}

TEST(NxLogger, FiltersStopAtTheFirstRefusal) {
    struct TFilter : TNxLoggerFilter {
        bool Answer;
        int Asked = 0;
        explicit TFilter(bool answer) : Answer(answer) {}
        bool accept(const TNxLoggerMessage&) override {
            ++Asked;
            return Answer;
        }
    } yes(true), no(false), never(true);
    TNxLogger logger;
    TRecordingAppender appender;
    logger.addAppender(&appender);
    int logged = 0;
    logger.OnLog = [&](TNxLogger&, TNxLoggerMessage&) {
        ++logged;
    };
    logger.addFilter(&yes);
    logger.addFilter(&no);
    logger.addFilter(&never);
    logger.info(L"x");
    EXPECT_TRUE(appender.Messages.empty());
    EXPECT_EQ(yes.Asked, 1);
    EXPECT_EQ(no.Asked, 1);
    EXPECT_EQ(never.Asked, 0);
    EXPECT_EQ(logged, 1);
}

TEST(NxLogger, MessageFieldsFromTheLogForms) {
    TNxLogger logger;
    logger.setLevel(NXLL_TRACE);
    TRecordingAppender appender;
    logger.addAppender(&appender);
    Exception problem(L"boom");
    logger.info(L"plain");
    logger.info(L"TModule", L"with module");
    logger.error(L"TModule", L"failed", NXLCAT_PLUGIN, &problem);
    logger.log(NXLL_WARN, L"M", L"text", std::wstring(L"custom"), L"de", nullptr);
    ASSERT_EQ(appender.Messages.size(), 4u);

    const auto& plain = appender.Messages[0];
    EXPECT_EQ(plain.getModule(), L"");
    EXPECT_EQ(plain.getCategory(), L"");
    EXPECT_EQ(plain.getApplicationId(), L"logging_core_tests");
    EXPECT_EQ(plain.getInstanceId(), std::to_wstring(GetCurrentProcessId()));
    EXPECT_EQ(plain.getThreadId(), std::to_wstring(GetCurrentThreadId()));
    EXPECT_EQ(plain.getExceptionClassName(), L"");

    EXPECT_EQ(appender.Messages[1].getModule(), L"TModule");
    EXPECT_EQ(appender.Messages[1].getCategory(), L"none");

    const auto& failed = appender.Messages[2];
    EXPECT_EQ(failed.getCategory(), L"plugin");
    EXPECT_EQ(failed.getException(), &problem);
    EXPECT_EQ(failed.getExceptionClassName(), L"Exception");
    EXPECT_EQ(TNxLogFormater::convertLevelToString(failed.getLevel(), failed.getException()),
              L"exception");
    EXPECT_EQ(TNxLogFormater::convertLevelToString(NXLL_ERROR, false), L"error");

    EXPECT_EQ(appender.Messages[3].getCategory(), L"custom");
    EXPECT_EQ(appender.Messages[3].getLanguage(), L"de");
}

TEST(NxLoggerMessage, ThreadIdAndTimeStampComeFromTheCreator) {
    TNxLoggerMessage given(L"app", L"1", L"user", NXLL_INFO, L"M", L"x", L"", L"", L"77", nullptr);
    EXPECT_EQ(given.getThreadId(), L"77");
    std::wstring otherThread;
    std::thread([&] {
        TNxLoggerMessage m(L"app", L"1", L"user", NXLL_INFO, L"x");
        otherThread = m.getThreadId();
    }).join();
    EXPECT_NE(otherThread, std::to_wstring(GetCurrentThreadId()));
    EXPECT_GT(given.getTimestamp(), 45000.0); // after 2023
}

TEST(NxLoggerMessage, AssignCopiesEveryFieldAndRefusesOtherClasses) {
    Exception problem(L"p");
    TNxLoggerMessage source(L"app", L"12", L"user", NXLL_ERROR, L"M", L"text", L"com", L"en", L"9",
                            &problem);
    source.setStackTrace(L"stack");
    TNxLoggerMessage target(L"", L"", L"", NXLL_TRACE, L"");
    target.Assign(source);
    EXPECT_EQ(target.getApplicationId(), L"app");
    EXPECT_EQ(target.getInstanceId(), L"12");
    EXPECT_EQ(target.getLogUser(), L"user");
    EXPECT_EQ(target.getThreadId(), L"9");
    EXPECT_EQ(target.getLevel(), NXLL_ERROR);
    EXPECT_EQ(target.getModule(), L"M");
    EXPECT_EQ(target.getMessage(), L"text");
    EXPECT_EQ(target.getCategory(), L"com");
    EXPECT_EQ(target.getLanguage(), L"en");
    EXPECT_EQ(target.getException(), &problem);
    EXPECT_EQ(target.getExceptionClassName(), L"Exception");
    EXPECT_EQ(target.getTimestamp(), source.getTimestamp());
    EXPECT_EQ(target.getStackTrace(), L"stack");

    struct TOther : TPersistent {
        std::wstring ClassName() const override { return L"TOther"; }
    } other;
    try {
        target.Assign(other);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), L"Cannot assign a TOther to a TNxLoggerMessage");
    }
}

TEST(NxLogFormater, LevelAndCategoryConversions) {
    const std::pair<const wchar_t*, TNxLoggerLevel> levels[] = {
        {L"trace", NXLL_TRACE},   {L"FINEST", NXLL_TRACE},    {L"debug", NXLL_DEBUG},
        {L"Info", NXLL_INFO},     {L"WARNING", NXLL_WARN},    {L"warn", NXLL_WARN},
        {L"error", NXLL_ERROR},   {L"exception", NXLL_ERROR}, {L"critical", NXLL_FATAL},
        {L"verbose", NXLL_FATAL}, {L"", NXLL_FATAL},          {L" info", NXLL_FATAL},
    };
    for (const auto& [text, level] : levels)
        EXPECT_EQ(TNxLogFormater::convertToLevel(text), level) << testing::PrintToString(text);

    EXPECT_EQ(TNxLogFormater::convertLevelToString(NXLL_WARN, true), L"warn");
    EXPECT_EQ(TNxLogFormater::convertLevelToString(static_cast<TNxLoggerLevel>(6), false), L"");

    EXPECT_EQ(TNxLogFormater::convertToCategory(L"Plugin"), NXLCAT_PLUGIN);
    EXPECT_EQ(TNxLogFormater::convertToCategory(L"FASTRUNNING"), NXLCAT_FASTRUNNING);
    EXPECT_EQ(TNxLogFormater::convertToCategory(L"misc"), NXLCAT_NONE);
    EXPECT_EQ(TNxLogFormater::convertToCategory(L"none"), NXLCAT_NONE);
    EXPECT_EQ(TNxLogFormater::convertCategoryToString(NXLCAT_DCOM), L"dcom");
    EXPECT_EQ(TNxLogFormater::convertCategoryToString(static_cast<TNxLoggerCategory>(11)), L"");
}

} // namespace
