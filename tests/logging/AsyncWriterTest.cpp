#include "logging/Logger.h"
#include "logging/Watchdog.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Records what reaches it, from any thread. It can hold the writer at one text until released
// and fail at another, and can take its time over each entry.
class TProbeAppender : public TNxLogAppender {
public:
    std::wstring ClassName() const override { return L"TProbeAppender"; }

    void append(TNxLoggerMessage& aEvent) override {
        const std::wstring& text = aEvent.getMessage();
        if (text == HoldAt) {
            std::unique_lock<std::mutex> lock(FLock);
            FHeld = true;
            FChanged.notify_all();
            FChanged.wait(lock, [this] { return FReleased; });
        }
        if (text == FailAt)
            throw Exception(L"bad entry");
        if (SlowMs)
            Sleep(SlowMs);
        {
            std::lock_guard<std::mutex> lock(FLock);
            FTexts.push_back(aEvent.getModule() + L":" + text);
            FThreads.push_back(aEvent.getThreadId());
            FChanged.notify_all();
        }
        if (text == WriteBackAt)
            GetLogger().Write(L"echo of " + text, ttInformation);
    }

    std::vector<std::wstring> Texts() {
        std::lock_guard<std::mutex> lock(FLock);
        return FTexts;
    }
    std::vector<std::wstring> Threads() {
        std::lock_guard<std::mutex> lock(FLock);
        return FThreads;
    }
    // True when count entries arrived within ms.
    bool WaitForCount(size_t count, DWORD ms) {
        std::unique_lock<std::mutex> lock(FLock);
        return FChanged.wait_for(lock, std::chrono::milliseconds(ms),
                                 [&] { return FTexts.size() >= count; });
    }
    bool WaitUntilHeld(DWORD ms) {
        std::unique_lock<std::mutex> lock(FLock);
        return FChanged.wait_for(lock, std::chrono::milliseconds(ms), [this] { return FHeld; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(FLock);
        FReleased = true;
        FChanged.notify_all();
    }

    std::wstring HoldAt = L"\x1"; // no entry has this text unless a test says so
    std::wstring FailAt = L"\x1";
    // The appender writes "echo of <text>" through the facade when it gets this text.
    std::wstring WriteBackAt = L"\x1";
    DWORD SlowMs = 0;

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    bool FHeld = false;
    bool FReleased = false;
    std::vector<std::wstring> FTexts;
    std::vector<std::wstring> FThreads;
};

// A fresh facade in asynchronous mode, writing to a probe; every test is bounded in time.
class AsyncWriter : public testing::Test {
protected:
    void SetUp() override {
        TNvLogger::Reset();
        GetLogger().addAppender(&Probe);
    }
    void TearDown() override { TNvLogger::Reset(); }

    static std::vector<std::wstring> Numbered(const std::wstring& prefix, int count) {
        std::vector<std::wstring> texts;
        for (int i = 0; i < count; ++i)
            texts.push_back(prefix + std::to_wstring(i));
        return texts;
    }

    test::TWatchdog Watchdog{60000, "AsyncWriter"};
    TProbeAppender Probe;
};

TEST_F(AsyncWriter, ABurstIsWrittenByTheWriterThreadInOrderWithoutSleeps) {
    TNvLogger& logger = GetLogger();
    // With a sleep of this length between entries the burst would take minutes.
    logger.SetASyncDelay(200);
    logger.SetASync(true);
    std::vector<std::wstring> expected;
    for (int i = 0; i < 1000; ++i) {
        logger.Write(L"e" + std::to_wstring(i), ttInformation);
        expected.push_back(L":e" + std::to_wstring(i));
    }
    ASSERT_TRUE(Probe.WaitForCount(1000, 10000)) << Probe.Texts().size();
    EXPECT_EQ(Probe.Texts(), expected);
    // Written by the writer: its thread id is on every line, not the caller's.
    for (const auto& id : Probe.Threads())
        ASSERT_NE(id, std::to_wstring(GetCurrentThreadId()));
}

TEST_F(AsyncWriter, AnIdleWriterWakesWhenAnEntryArrives) {
    TNvLogger& logger = GetLogger();
    logger.SetASyncDelay(30000);
    logger.SetASync(true);
    Sleep(100); // the writer is asleep with an empty queue now
    auto start = std::chrono::steady_clock::now();
    logger.Write(TSenderText{L"TMainForm"}, L"now", ttWarning);
    ASSERT_TRUE(Probe.WaitForCount(1, 5000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(Probe.Texts(), std::vector<std::wstring>{L"TMainForm:now"});
}

TEST_F(AsyncWriter, SwitchingOffReturnsWhenEverythingQueuedIsWritten) {
    TNvLogger& logger = GetLogger();
    Probe.SlowMs = 1; // the queue runs ahead of the writer
    logger.SetASync(true);
    std::vector<std::wstring> expected;
    for (int i = 0; i < 300; ++i) {
        std::wstring text = std::to_wstring(i);
        logger.Write(TSenderText{L"S"}, text, ttDebug);
        logger.Write(L"reporting " + text, ttReporting); // queued, writes nothing
        expected.push_back(L"S:" + text);
    }
    logger.SetASync(false);
    EXPECT_FALSE(logger.ASync());
    EXPECT_EQ(Probe.Texts(), expected);
    // Synchronous again: written at once, in the caller's thread.
    logger.Write(L"sync", ttError);
    EXPECT_EQ(Probe.Texts().back(), L":sync");
    EXPECT_EQ(Probe.Threads().back(), std::to_wstring(GetCurrentThreadId()));
}

TEST_F(AsyncWriter, DestroyingTheFacadeWritesWhatIsQueued) {
    TNvLogger& logger = GetLogger();
    Probe.HoldAt = L"first"; // holds the writer, the rest stays queued
    logger.SetASync(true);
    logger.Write(L"first", ttInformation);
    ASSERT_TRUE(Probe.WaitUntilHeld(5000));
    for (const auto& text : Numbered(L"q", 50))
        logger.Write(text, ttInformation);
    std::thread release([this] {
        Sleep(100);
        Probe.Release();
    });
    TNvLogger::Reset();
    release.join();
    std::vector<std::wstring> expected{L":first"};
    for (const auto& text : Numbered(L":q", 50))
        expected.push_back(text);
    EXPECT_EQ(Probe.Texts(), expected);
}

TEST_F(AsyncWriter, AFailingEntryWhileDrainingDoesNotLoseTheRest) {
    TNvLogger& logger = GetLogger();
    Probe.HoldAt = L"first";
    Probe.FailAt = L"bad";
    logger.SetASync(true);
    logger.Write(L"first", ttInformation);
    ASSERT_TRUE(Probe.WaitUntilHeld(5000));
    for (const wchar_t* text : {L"a", L"bad", L"b", L"c"})
        logger.Write(text, ttInformation);
    std::thread release([this] {
        Sleep(100);
        Probe.Release();
    });
    // The writer ends after "first"; the switch writes the rest and reports "bad".
    EXPECT_NO_THROW(logger.SetASync(false));
    release.join();
    EXPECT_EQ(Probe.Texts(), (std::vector<std::wstring>{L":first", L":a", L":b", L":c"}));
}

TEST_F(AsyncWriter, AFailingEntryInTheWriterThreadDoesNotStopIt) {
    TNvLogger& logger = GetLogger();
    Probe.FailAt = L"bad";
    logger.SetASync(true);
    for (const wchar_t* text : {L"a", L"bad", L"b"})
        EXPECT_NO_THROW(logger.Write(text, ttInformation));
    ASSERT_TRUE(Probe.WaitForCount(2, 5000));
    EXPECT_EQ(Probe.Texts(), (std::vector<std::wstring>{L":a", L":b"}));
}

TEST_F(AsyncWriter, ActiveIsTestedWhenAnEntryIsWrittenNotWhenItIsTaken) {
    TNvLogger& logger = GetLogger();
    Probe.HoldAt = L"first";
    logger.SetASync(true);
    logger.Write(L"first", ttInformation);
    ASSERT_TRUE(Probe.WaitUntilHeld(5000));
    logger.Write(L"queued", ttInformation);
    logger.SetActive(false);
    logger.Write(L"inactive", ttInformation);
    Probe.Release();
    logger.SetASync(false);
    EXPECT_EQ(Probe.Texts(), (std::vector<std::wstring>{L":first", L":queued"}));
}

// An appender may write through the facade itself, also while switching off drains the queue
// in the switching thread: its entry is written, after the one it answers, and nothing waits
// for itself.
TEST_F(AsyncWriter, AnAppenderThatWritesThroughTheFacadeWhileTheQueueDrains) {
    TNvLogger& logger = GetLogger();
    Probe.HoldAt = L"first";
    Probe.WriteBackAt = L"call";
    logger.SetASync(true);
    logger.Write(L"first", ttInformation);
    ASSERT_TRUE(Probe.WaitUntilHeld(5000));
    logger.Write(L"call", ttInformation);
    std::thread release([this] {
        Sleep(200);
        Probe.Release();
    });
    logger.SetASync(false);
    release.join();
    logger.Write(L"last", ttInformation);
    EXPECT_EQ(Probe.Texts(),
              (std::vector<std::wstring>{L":first", L":call", L":echo of call", L":last"}));
}

TEST_F(AsyncWriter, TheDelayIsKeptAndPassedOnAndTheSwitchesAreIdempotent) {
    TNvLogger& logger = GetLogger();
    EXPECT_FALSE(logger.ASync());
    EXPECT_EQ(logger.ASyncDelay(), 50);
    logger.SetASync(false); // nothing to stop
    logger.SetASyncDelay(20);
    logger.SetASync(true);
    logger.SetASync(true); // still the one writer
    logger.SetASyncDelay(10);
    logger.SetASyncDelay(10);
    EXPECT_EQ(logger.ASyncDelay(), 10);
    logger.Write(L"x", ttInformation);
    ASSERT_TRUE(Probe.WaitForCount(1, 5000));
    logger.SetASync(false);
    logger.SetASync(false);
    EXPECT_EQ(Probe.Texts(), std::vector<std::wstring>{L":x"});
}

// Writers keep writing while the mode is switched on and off under them: no entry may reach a
// writer that is gone, none may be lost, and each thread's entries keep their order.
TEST_F(AsyncWriter, SwitchingTheModeWhileOtherThreadsWriteLosesNothing) {
    TNvLogger& logger = GetLogger();
    logger.SetASyncDelay(1);
    const int threads = 4;
    std::atomic<bool> stop{false};
    std::vector<int> written(threads, 0);
    std::vector<std::thread> writers;
    // Short pauses spread the writing over the switches; the count keeps the test short.
    for (int t = 0; t < threads; ++t)
        writers.emplace_back([&, t] {
            for (int i = 0; !stop && i < 20000; ++i) {
                logger.Write(TSenderText{std::to_wstring(t)}, std::to_wstring(i), ttInformation);
                written[t] = i + 1;
                if (i % 64 == 0)
                    Sleep(1);
            }
        });
    for (int switches = 0; switches < 100; ++switches) {
        logger.SetASync(switches % 2 == 0);
        Sleep(1);
    }
    stop = true;
    for (auto& w : writers)
        w.join();
    logger.SetASync(false);

    std::vector<int> next(threads, 0);
    for (const auto& text : Probe.Texts()) {
        size_t colon = text.find(L':');
        int t = std::stoi(text.substr(0, colon));
        int i = std::stoi(text.substr(colon + 1));
        ASSERT_EQ(i, next[t]) << "thread " << t << " out of order";
        ++next[t];
    }
    EXPECT_EQ(next, written);
}

// The real text file, written by the writer thread for four threads at once.
TEST(AsyncTextFile, EveryThreadsLinesArriveWholeAndInOrder) {
    test::TWatchdog watchdog(60000, "AsyncTextFile");
    test::TTempFolder folder;
    TNvLogger::Reset();
    TNvLogger& logger = GetLogger();
    TNorvaAppenderTextFile& file = logger.TextFile();
    file.SetOutputDir(folder.Path());
    file.SetPrefixes({});
    file.SetHeaders({});
    file.SetActive(true);
    logger.SetASync(true);
    const int threads = 4, count = 1000;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t)
        writers.emplace_back([&logger, t] {
            for (int i = 0; i < count; ++i)
                logger.Write(TSenderText{std::to_wstring(t)}, std::to_wstring(i), ttWarning);
        });
    for (auto& w : writers)
        w.join();
    std::wstring path = file.BuildFileName(0);
    TNvLogger::Reset(); // drains the queue and closes the file

    std::istringstream lines(test::ReadTextFile(path));
    std::vector<int> next(threads, 0);
    std::string line;
    std::getline(lines, line); // the header, empty of items
    while (std::getline(lines, line)) {
        int t = -1, i = -1;
        ASSERT_EQ(std::sscanf(line.c_str(), "W|%d|%d|\r", &t, &i), 2) << line;
        ASSERT_EQ(i, next[t]) << "thread " << t;
        ++next[t];
    }
    EXPECT_EQ(next, std::vector<int>(threads, count));
}

} // namespace
