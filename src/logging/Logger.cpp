#include "logging/Logger.h"
#include "logging/AsyncThread.h"
#include "logging/base/LoggerBase.h"
#include "logging/support/ProcessInfo.h"

#include <memory>

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
    std::lock_guard<std::mutex> lock(FSwitchLock);
    StopAsyncThread();
}

void TNvLogger::SetASync(bool value) {
    std::lock_guard<std::mutex> lock(FSwitchLock);
    if (value == FAsync)
        return;
    if (value) {
        std::lock_guard<std::recursive_mutex> writer(FAsyncLock);
        if (!FAsyncThread)
            FAsyncThread = std::make_unique<TAsyncThread>(*this, FAsyncDelay);
        FAsync = true;
    } else {
        StopAsyncThread();
    }
}

// The thread ends first, without FAsyncLock, since what it writes may come back to Write.
// The queue is then drained under the lock: entries written meanwhile wait for it and are
// written after the ones queued before them. FAsync stays on until then, so no entry
// overtakes the queue.
void TNvLogger::StopAsyncThread() {
    TAsyncThread* writer;
    {
        std::lock_guard<std::recursive_mutex> lock(FAsyncLock);
        writer = FAsyncThread.get();
    }
    if (!writer)
        return;
    writer->Terminate();
    writer->WaitFor();
    std::lock_guard<std::recursive_mutex> lock(FAsyncLock);
    // reset() forgets the writer before destroying it: a write during the drain goes direct.
    FAsyncThread.reset();
    FAsync = false;
}

void TNvLogger::SetASyncDelay(int value) {
    std::lock_guard<std::recursive_mutex> lock(FAsyncLock);
    if (value == FAsyncDelay)
        return;
    FAsyncDelay = value;
    if (FAsyncThread)
        FAsyncThread->SetDelay(value);
}

bool TNvLogger::WriteAsync(const std::wstring& Sender, const std::wstring& Msg,
                           TTraceType TraceType) {
    std::lock_guard<std::recursive_mutex> lock(FAsyncLock);
    if (!FAsyncThread)
        return false;
    FAsyncThread->Add(Sender, Msg, TraceType);
    return true;
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
