#include "logging/support/Report.h"
#include "logging/support/ProcessInfo.h"

#include <memory>

namespace {

// The unit's process-wide state. Members are destroyed in reverse order: the internal event
// logger, then the lock.
struct TReportUnit {
    std::recursive_mutex Lock;
    std::unique_ptr<TEventLogger> EventLogger;
};

TReportUnit& Unit() {
    static TReportUnit unit;
    return unit;
}

// Initialise the unit with the process, before any thread can report.
[[maybe_unused]] const TReportUnit& UnitAtStart = Unit();

void Report(WORD eventType, const std::wstring& format, const TVarRecs& args) noexcept {
    try {
        std::lock_guard<std::recursive_mutex> lock(LoggerLock());
        std::wstring text;
        try {
            text = Format(format, args);
        } catch (const std::exception&) {
            text = format; // a report that does not format is still worth reading
        }
        GetEventLogger().Log(eventType, text);
    } catch (...) {
    }
}

} // namespace

std::recursive_mutex& LoggerLock() {
    return Unit().Lock;
}

void ReportError(const std::wstring& format, const TVarRecs& args) {
    Report(EVENTLOG_ERROR_TYPE, format, args);
}

void ReportWarning(const std::wstring& format, const TVarRecs& args) {
    Report(EVENTLOG_WARNING_TYPE, format, args);
}

TEventLogger& GetEventLogger() {
    std::lock_guard<std::recursive_mutex> lock(LoggerLock());
    auto& eventLogger = Unit().EventLogger;
    if (!eventLogger)
        eventLogger = std::make_unique<TEventLogger>(ProcessInfo::ExeFileName());
    return *eventLogger;
}

void ResetEventLogger() {
    std::lock_guard<std::recursive_mutex> lock(LoggerLock());
    Unit().EventLogger.reset();
}
