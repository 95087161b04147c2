#pragma once
#include "logging/support/EventLogger.h"
#include "logging/appenders/NorvaFormater.h"

#include <memory>

// Reports each accepted line to the Windows event log under its own event source
// ("NorvaLog" until another is set), registered on the first report.
class TNorvaAppenderEventViewer : public TNorvaAppender {
public:
    TNorvaAppenderEventViewer();

    // Trace types after creation, the ones a saved configuration leaves out.
    static constexpr TTraceTypes DefaultTraceTypes{ttWarning, ttError};

    std::wstring ClassName() const override { return L"TNorvaAppenderEventViewer"; }
    std::wstring TagName() const override { return L"EventViewer"; }

    void append(TNxLoggerMessage& aEvent) override;

    const std::wstring& Name() const { return FSource; }
    const std::wstring& Source() const { return FSource; }
    // A new name starts a new event logger; must not run while another thread logs here.
    void SetSource(const std::wstring& value);

private:
    std::unique_ptr<TEventLogger> FEventLogger;
    TNorvaFormater FFormater;
    std::wstring FSource;
};

// The event source the event-log appender uses until it is given one.
extern const wchar_t* const DefaultEventSource;
