#include "logging/Logger.h"
#include "logging/LoggingFixtures.h"

#include <gtest/gtest.h>

namespace {

struct TSender : TObject {
    std::wstring ClassName() const override { return L"TMainForm"; }
};

class DebugMonitor : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Monitor.Ready());
        TNvLogger::Reset();
        GetLogger().DbMon().SetTimeFormat(L"HH:mm:ss");
        GetLogger().DbMon().SetActive(true);
    }
    void TearDown() override { TNvLogger::Reset(); }

    std::vector<std::string> OwnTexts(size_t count, DWORD timeoutMs = 5000) {
        std::vector<std::string> texts;
        for (const auto& e : Monitor.Entries(count, timeoutMs))
            if (e.ProcessId == GetCurrentProcessId())
                texts.push_back(e.Text);
        return texts;
    }

    test::TDebugMonitor Monitor;
    test::TFixedClock Clock{test::DateTimeOf(2024, 1, 31, 14, 3, 27)};
    const std::string Tid = std::to_string(GetCurrentThreadId());
};

TEST_F(DebugMonitor, EachLineIsOneEntryWithoutALineEnd) {
    TSender form;
    GetLogger().Write(&form, L"UninstallFolder()", ttInformation);
    GetLogger().Write(L"  deleting path : %s", {L"C:\\x"}, ttDebug);
    GetLogger().DbMon().SetExtraLineFeed(true);
    GetLogger().Write(&form, L"UninstallFolder()", ttError);
    EXPECT_EQ(OwnTexts(3), (std::vector<std::string>{
                               "I|14:03:27|" + Tid + "|TMainForm|UninstallFolder()|",
                               "D|14:03:27|" + Tid + "||  deleting path : C:\\x|",
                               "E|14:03:27|" + Tid + "|TMainForm|UninstallFolder()|\n",
                           }));
}

TEST_F(DebugMonitor, NothingReachesTheMonitorUnlessSelectedAndActive) {
    GetLogger().DbMon().SetTraceTypes({ttError});
    GetLogger().Write(L"info", ttInformation);
    GetLogger().Write(L"reporting", ttReporting);
    GetLogger().DbMon().SetActive(false);
    GetLogger().Write(L"error while off", ttError);
    GetLogger().DbMon().SetActive(true);
    GetLogger().Write(L"error", ttError);
    EXPECT_EQ(OwnTexts(1), (std::vector<std::string>{"E|14:03:27|" + Tid + "||error|"}));
    EXPECT_EQ(OwnTexts(2, 300).size(), 1u);
}

// Nothing is switched on after creation: no monitor entry, no file in the default folder.
TEST(StandardAppenderDefaults, AFreshFacadeWritesNowhere) {
    test::TDebugMonitor monitor;
    ASSERT_TRUE(monitor.Ready());
    TNvLogger::Reset();
    const std::wstring mask = GetLogger().TextFile().BuildFileMask();
    auto files = [&mask] {
        WIN32_FIND_DATAW data;
        TFindHandle find(FindFirstFileW(mask.c_str(), &data));
        int n = 0;
        if (find)
            do
                ++n;
            while (FindNextFileW(find.Get(), &data));
        return n;
    };
    int before = files();
    for (TTraceType type : {ttInformation, ttWarning, ttError, ttDebug, ttReporting})
        GetLogger().Write(TSenderText{L"S"}, L"nowhere", type);
    EXPECT_EQ(files(), before);
    for (const auto& e : monitor.Entries(1, 300))
        EXPECT_NE(e.ProcessId, GetCurrentProcessId()) << e.Text;
    TNvLogger::Reset();
}

} // namespace
