#pragma once
#include "logging/base/NxLogger.h"

// The process-wide base logger: current level NXLL_INFO and one TNxLogAppenderFile writing
// beside the executable. Created with the process, destroyed at its end.
TNxLogger& GetBaseLogger();
