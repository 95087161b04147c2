#pragma once
#include "core/Format.h"
#include "logging/support/LoggerError.h"
#include "logging/support/Report.h"
#include "logging/appenders/NorvaAppenderDbMon.h"
#include "logging/appenders/NorvaAppenderEventViewer.h"
#include "logging/appenders/NorvaAppenderTextFile.h"
#include "logging/base/NxLogger.h"
#include "logging/appenders/TraceTypes.h"
#include "logging/AsyncMsg.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

class TAsyncThread;

// A sender given by name rather than by object; becomes the line's module column.
struct TSenderText {
    std::wstring Name;
};

// The process-wide logger facade: every part of the system writes its trace through it.
class TNvLogger : public TNxLogger {
public:
    TNvLogger();
    ~TNvLogger() override;

    std::wstring ClassName() const override { return L"TNvLogger"; }

    // Master switch; when off, Write writes nothing (the Args forms still format).
    bool Active() const { return FActive; }
    void SetActive(bool value) { FActive = value; }

    // Asynchronous mode: Write queues its entry for a writer thread and returns. Switching it
    // off, or destroying the facade, returns when every queued entry has been written. Safe
    // while other threads write: an entry either reaches the queue before it is drained or
    // is written at once after that.
    bool ASync() const { return FAsync; }
    void SetASync(bool value);
    // Longest idle wait of the writer thread, in milliseconds; 50 after creation.
    int ASyncDelay() const { return FAsyncDelay; }
    void SetASyncDelay(int value);

    // Queues an entry for the writer, holding no lock but the writer's own; false when there
    // is no writer (the mode is being switched off), and the caller then writes it at once.
    bool WriteAsync(const std::wstring& Sender, const std::wstring& Msg, TTraceType TraceType);
    // Writes one entry taken from the queue, with its sender as the module.
    void WriteQueued(const TAsyncMsg& entry);

    // The standard appenders, all inactive after creation; messages reach them in this order.
    TNorvaAppenderDbMon& DbMon() const { return *FDbMon; }
    TNorvaAppenderEventViewer& EventViewer() const { return *FEventViewer; }
    TNorvaAppenderTextFile& TextFile() const { return *FTextFile; }

    // The plain forms let every failure but ELoggerError reach the caller.
    void Write(const std::wstring& Msg, TTraceType TraceType);
    void Write(const std::wstring& Msg, const TVarRecs& Args, TTraceType TraceType);
    // The sender forms never raise for a failure of the output; it is reported as a warning.
    void Write(const TSenderText& Sender, const std::wstring& Msg, TTraceType TraceType);
    void Write(const TSenderText& Sender, const std::wstring& Msg, const TVarRecs& Args,
               TTraceType TraceType);
    // The object's class name is the sender; none writes as the plain form.
    void Write(const TObject* Sender, const std::wstring& Msg, TTraceType TraceType);
    void Write(const TObject* Sender, const std::wstring& Msg, const TVarRecs& Args,
               TTraceType TraceType);

    // Destroys the process-wide instance without taking LoggerLock; the next GetLogger
    // creates a fresh one. Must not run while other threads log.
    static void Reset();

private:
    void WriteEntry(const std::wstring& Module, const std::wstring& Msg, TTraceType TraceType,
                    bool withModule);
    void WriteThrough(const std::wstring& Module, const std::wstring& Msg, TTraceType TraceType,
                      bool withModule);
    void StopAsyncThread();

    std::atomic<bool> FActive{true};
    // One switch at a time; held while the queue is drained. Re-entrant, for an appender that
    // writes through the facade meanwhile.
    std::recursive_mutex FSwitchLock;
    // The writer, owned here and changed only under FSwitchLock. Write reaches it through
    // FAsyncWriter without a lock and is counted in FWritersInside meanwhile, so that the
    // writer is never destroyed under it.
    std::unique_ptr<TAsyncThread> FAsyncThread;
    std::atomic<TAsyncThread*> FAsyncWriter{nullptr};
    std::atomic<int> FWritersInside{0};
    std::atomic<bool> FAsync{false};
    std::atomic<int> FAsyncDelay{50};
    std::unique_ptr<TNorvaAppenderDbMon> FDbMon;
    std::unique_ptr<TNorvaAppenderEventViewer> FEventViewer;
    std::unique_ptr<TNorvaAppenderTextFile> FTextFile;
};

// The one logger of the process, created on first use.
TNvLogger& GetLogger();
