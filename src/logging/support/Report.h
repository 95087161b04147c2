#pragma once
#include "core/Format.h"
#include "logging/support/EventLogger.h"

#include <mutex>
#include <string>

// Guards creation of the logger, the text files and the internal event logger. Re-entrant.
std::recursive_mutex& LoggerLock();

// The framework's reports about itself, to the event log under the executable's file name.
// They never raise.
void ReportError(const std::wstring& format, const TVarRecs& args);
void ReportWarning(const std::wstring& format, const TVarRecs& args);
TEventLogger& GetEventLogger();
// Lets the next report start a fresh internal event logger.
void ResetEventLogger();
