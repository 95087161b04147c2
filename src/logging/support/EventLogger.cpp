#include "logging/support/EventLogger.h"

void TEventLogger::SetSource(const std::wstring& source) {
    if (source == FSource)
        return;
    FSource = source;
    FHandle.Reset();
}

void TEventLogger::Log(WORD EventType, const std::wstring& text) {
    if (!FHandle)
        FHandle.Reset(RegisterEventSourceW(nullptr, FSource.c_str()));
    const wchar_t* strings[] = {text.c_str()};
    ReportEventW(FHandle.Get(), EventType, 0, 0, nullptr, 1, 0, strings, nullptr);
}
