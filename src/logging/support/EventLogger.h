#pragma once
#include "core/Handle.h"

#include <string>

// Writes entries to the Windows event log under one event source. The source is registered
// on the first entry; a failed registration is ignored and the entries are then lost silently.
class TEventLogger {
public:
    explicit TEventLogger(std::wstring source) : FSource(std::move(source)) {}

    const std::wstring& Source() const { return FSource; }
    // A new name takes effect with the next entry.
    void SetSource(const std::wstring& source);

    // EventType: EVENTLOG_ERROR_TYPE, EVENTLOG_WARNING_TYPE or EVENTLOG_INFORMATION_TYPE.
    void Log(WORD EventType, const std::wstring& text);

private:
    std::wstring FSource;
    TEventSourceHandle FHandle;
};
