#include "logging/appenders/NorvaAppenderEventViewer.h"
#include "logging/support/Report.h"

const wchar_t* const DefaultEventSource = L"NorvaLog";

TNorvaAppenderEventViewer::TNorvaAppenderEventViewer()
    : FEventLogger(std::make_unique<TEventLogger>(DefaultEventSource)), FFormater(*this) {
    SetTraceTypes(DefaultTraceTypes);
}

void TNorvaAppenderEventViewer::append(TNxLoggerMessage& aEvent) {
    if (!Accepts(aEvent))
        return;
    WORD eventType;
    switch (aEvent.getLevel()) {
    case NXLL_WARN:
        eventType = EVENTLOG_WARNING_TYPE;
        break;
    case NXLL_ERROR:
    case NXLL_FATAL:
        eventType = EVENTLOG_ERROR_TYPE;
        break;
    default:
        eventType = EVENTLOG_INFORMATION_TYPE;
        break;
    }
    FEventLogger->Log(eventType, FFormater.formatMessage(aEvent));
}

void TNorvaAppenderEventViewer::SetSource(const std::wstring& value) {
    if (value == FSource)
        return;
    FSource = value;
    FEventLogger = std::make_unique<TEventLogger>(FSource);
    // The framework's own reports start over with a fresh event logger as well.
    ResetEventLogger();
}
