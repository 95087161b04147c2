// Writes through the logger facade with an appender that fails, so that a test can read
// what the framework reports to the event log (Wine prints it on its eventlog channel).
//   logger_probe plain-logger-error TEXT   appender raises ELoggerError TEXT, plain Write
//   logger_probe sender-failure TEXT       appender raises Exception TEXT, sender Write
//   logger_probe report-warning FORMAT     ReportWarning(FORMAT) without arguments
//   logger_probe async-drain TEXT          asynchronous mode; entries "a", "bad", "b" stay
//                                          queued behind a held writer and are drained when
//                                          the mode is switched off; "bad" raises Exception
//                                          TEXT; prints the entries written
#include "logging/Logger.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace {

class TFailingAppender : public TNxLogAppender {
public:
    TFailingAppender(bool loggerError, std::wstring text)
        : FLoggerError(loggerError), FText(std::move(text)) {}
    std::wstring ClassName() const override { return L"TFailingAppender"; }
    void append(TNxLoggerMessage&) override {
        if (FLoggerError)
            throw ELoggerError(FText);
        throw Exception(FText);
    }

private:
    bool FLoggerError;
    std::wstring FText;
};

// Holds the writer thread at "first" until released, fails at "bad", records the rest.
class THoldingAppender : public TNxLogAppender {
public:
    explicit THoldingAppender(std::wstring text) : FText(std::move(text)) {}
    std::wstring ClassName() const override { return L"THoldingAppender"; }
    void append(TNxLoggerMessage& aEvent) override {
        std::unique_lock<std::mutex> lock(FLock);
        if (aEvent.getMessage() == L"first") {
            FHeld = true;
            FChanged.notify_all();
            FChanged.wait(lock, [this] { return FReleased; });
        }
        if (aEvent.getMessage() == L"bad")
            throw Exception(FText);
        Written += aEvent.getMessage() + L",";
    }
    void WaitUntilHeld() {
        std::unique_lock<std::mutex> lock(FLock);
        FChanged.wait_for(lock, std::chrono::seconds(10), [this] { return FHeld; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(FLock);
        FReleased = true;
        FChanged.notify_all();
    }
    std::wstring Written;

private:
    std::wstring FText;
    std::mutex FLock;
    std::condition_variable FChanged;
    bool FHeld = false, FReleased = false;
};

int AsyncDrain(const std::wstring& text) {
    THoldingAppender appender(text);
    TNvLogger& logger = GetLogger();
    logger.addAppender(&appender);
    logger.SetASync(true);
    logger.Write(L"first", ttInformation);
    appender.WaitUntilHeld();
    for (const wchar_t* entry : {L"a", L"bad", L"b"})
        logger.Write(entry, ttInformation);
    std::thread release([&appender] {
        Sleep(100);
        appender.Release();
    });
    logger.SetASync(false);
    release.join();
    std::printf("written=%ls\n", appender.Written.c_str());
    TNvLogger::Reset(); // before the appender goes
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 2;
    std::wstring mode = argv[1], text = argv[2];
    if (mode == L"report-warning") {
        ReportWarning(text, {});
        return 0;
    }
    if (mode == L"async-drain") {
        int result = AsyncDrain(text);
        std::puts("returned");
        return result;
    }
    TFailingAppender appender(mode == L"plain-logger-error", text);
    GetLogger().addAppender(&appender);
    if (mode == L"plain-logger-error")
        GetLogger().Write(L"message", ttInformation);
    else if (mode == L"sender-failure")
        GetLogger().Write(TSenderText{L"TProbe"}, L"message", ttInformation);
    else
        return 2;
    std::puts("returned");
    return 0;
}
