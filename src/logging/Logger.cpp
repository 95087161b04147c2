#include "logging/Logger.h"
#include "logging/AsyncThread.h"
#include "logging/base/LoggerBase.h"
#include "logging/support/ProcessInfo.h"

#include <memory>
#include <thread>

namespace {

// The unit's process-wide state. It takes the lock first, so that the lock and the internal
// event logger are created before the logger and destroyed after it.
struct TLoggerUnit {
    TLoggerUnit() { LoggerLock(); }
    std::unique_ptr<TNvLogger> Instance;
};

TLoggerUnit& Unit() {
    static TLoggerUnit unit;
    return unit;
}

// Initialise the unit with the process, before any thread can ask for the logger.
[[maybe_unused]] const TLoggerUnit& UnitAtStart = Unit();
// Every program that traces carries the base logger as well.
[[maybe_unused]] const TNxLogger& BaseLoggerAtStart = GetBaseLogger();

} // namespace

TNvLogger::TNvLogger()
    : FDbMon(std::make_unique<TNorvaAppenderDbMon>()),
      FEventViewer(std::make_unique<TNorvaAppenderEventViewer>()),
      FTextFile(std::make_unique<TNorvaAppenderTextFile>()) {
    setLevel(NXLL_DEBUG);
    addAppender(FDbMon.get());
    addAppender(FEventViewer.get());
    addAppender(FTextFile.get());
}

// The writer goes before the appenders, so that what it still holds reaches them.
TNvLogger::~TNvLogger() {
    std::lock_guard<std::recursive_mutex> lock(FSwitchLock);
    StopAsyncThread();
}

void TNvLogger::SetASync(bool value) {
    std::lock_guard<std::recursive_mutex> lock(FSwitchLock);
    if (value == FAsync)
        return;
    if (!value) {
        StopAsyncThread();
        return;
    }
    if (!FAsyncThread) {
        FAsyncThread = std::make_unique<TAsyncThread>(*this, FAsyncDelay);
        FAsyncWriter = FAsyncThread.get();
    }
    FAsync = true;
}

// Under FSwitchLock. The thread ends first, while the writer still takes entries: what it is
// writing may come back to Write. Then the writer refuses entries; a Write refused waits for
// the switch to end and writes directly, after the queue, which the writer's destruction
// writes out here. FAsync stays on until then, so no entry overtakes one queued before it.
void TNvLogger::StopAsyncThread() {
    if (!FAsyncThread)
        return;
    FAsyncThread->Terminate();
    FAsyncThread->WaitFor();
    FAsyncThread->Close();
    FAsyncWriter = nullptr;
    // A Write that took the writer before it was forgotten is still in Add, which refuses.
    while (FWritersInside > 0)
        std::this_thread::yield();
    FAsyncThread.reset();
    FAsync = false;
}

void TNvLogger::SetASyncDelay(int value) {
    std::lock_guard<std::recursive_mutex> lock(FSwitchLock);
    if (value == FAsyncDelay)
        return;
    FAsyncDelay = value;
    if (FAsyncThread)
        FAsyncThread->SetDelay(value);
}

namespace {

// Counts a Write that holds the writer without a lock, so that it is not destroyed under it.
class TWriterUse {
public:
    explicit TWriterUse(std::atomic<int>& count) : FCount(count) { ++FCount; }
    ~TWriterUse() { --FCount; }
    TWriterUse(const TWriterUse&) = delete;
    TWriterUse& operator=(const TWriterUse&) = delete;

private:
    std::atomic<int>& FCount;
};

} // namespace

bool TNvLogger::WriteAsync(const std::wstring& Sender, const std::wstring& Msg,
                           TTraceType TraceType) {
    {
        TWriterUse use(FWritersInside);
        TAsyncThread* writer = FAsyncWriter;
        if (writer && writer->Add(Sender, Msg, TraceType))
            return true;
    }
    // The mode is being switched off: wait until what was queued has been written.
    std::lock_guard<std::recursive_mutex> wait(FSwitchLock);
    return false;
}

void TNvLogger::WriteQueued(const TAsyncMsg& entry) {
    WriteThrough(entry.Sender, entry.Msg, entry.TraceType, true);
}

void TNvLogger::WriteEntry(const std::wstring& Module, const std::wstring& Msg,
                           TTraceType TraceType, bool withModule) {
    if (!FActive)
        return;
    if (FAsync && WriteAsync(Module, Msg, TraceType))
        return;
    WriteThrough(Module, Msg, TraceType, withModule);
}

void TNvLogger::WriteThrough(const std::wstring& Module, const std::wstring& Msg,
                             TTraceType TraceType, bool withModule) {
    TNxLoggerLevel level;
    switch (TraceType) {
    case ttInformation:
        level = NXLL_INFO;
        break;
    case ttWarning:
        level = NXLL_WARN;
        break;
    case ttError:
        level = NXLL_ERROR;
        break;
    case ttDebug:
        level = NXLL_DEBUG;
        break;
    default:
        return;
    }
    if (withModule)
        log(level, Module, Msg, NXLCAT_NONE, nullptr);
    else
        log(level, Msg);
}

void TNvLogger::Write(const std::wstring& Msg, TTraceType TraceType) {
    try {
        WriteEntry(L"", Msg, TraceType, false);
    } catch (const ELoggerError& e) {
        ReportError(L"Write failed (%s)", {e.Message()});
    }
}

void TNvLogger::Write(const std::wstring& Msg, const TVarRecs& Args, TTraceType TraceType) {
    Write(Format(Msg, Args), TraceType);
}

void TNvLogger::Write(const TSenderText& Sender, const std::wstring& Msg, TTraceType TraceType) {
    try {
        WriteEntry(Sender.Name, Msg, TraceType, true);
    } catch (const std::exception& e) {
        ReportWarning(ExceptionMessage(e), {});
    } catch (...) {
        ReportWarning(L"Write failed", {});
    }
}

void TNvLogger::Write(const TSenderText& Sender, const std::wstring& Msg, const TVarRecs& Args,
                      TTraceType TraceType) {
    Write(Sender, Format(Msg, Args), TraceType);
}

void TNvLogger::Write(const TObject* Sender, const std::wstring& Msg, TTraceType TraceType) {
    if (Sender)
        Write(TSenderText{Sender->ClassName()}, Msg, TraceType);
    else
        Write(Msg, TraceType);
}

void TNvLogger::Write(const TObject* Sender, const std::wstring& Msg, const TVarRecs& Args,
                      TTraceType TraceType) {
    Write(Sender, Format(Msg, Args), TraceType);
}

void TNvLogger::Reset() {
    Unit().Instance.reset();
}

TNvLogger& GetLogger() {
    std::lock_guard<std::recursive_mutex> lock(LoggerLock());
    auto& instance = Unit().Instance;
    if (!instance)
        instance = std::make_unique<TNvLogger>();
    return *instance;
}
