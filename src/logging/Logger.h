#pragma once
#include "core/Format.h"
#include "logging/support/LoggerError.h"
#include "logging/support/Report.h"
#include "logging/appenders/NorvaAppenderDbMon.h"
#include "logging/appenders/NorvaAppenderEventViewer.h"
#include "logging/appenders/NorvaAppenderTextFile.h"
#include "logging/base/NxLogger.h"
#include "logging/appenders/TraceTypes.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

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
    void WriteThrough(const std::wstring& Module, const std::wstring& Msg, TTraceType TraceType,
                      bool withModule);

    std::atomic<bool> FActive{true};
    std::unique_ptr<TNorvaAppenderDbMon> FDbMon;
    std::unique_ptr<TNorvaAppenderEventViewer> FEventViewer;
    std::unique_ptr<TNorvaAppenderTextFile> FTextFile;
};

// The one logger of the process, created on first use.
TNvLogger& GetLogger();
