#pragma once
#include <cstdint>

// Severity of a base-logger message, from least to most severe.
enum TNxLoggerLevel : uint8_t {
    NXLL_TRACE = 0,
    NXLL_DEBUG = 1,
    NXLL_INFO = 2,
    NXLL_WARN = 3,
    NXLL_ERROR = 4,
    NXLL_FATAL = 5,
};

enum TNxLoggerCategory : uint8_t {
    NXLCAT_NONE = 0,
    NXLCAT_OPTIONS = 1,
    NXLCAT_RUNNING = 2,
    NXLCAT_CALCULATING = 3,
    NXLCAT_FASTRUNNING = 4,
    NXLCAT_STARTUP = 5,
    NXLCAT_SHUTDOWN = 6,
    NXLCAT_REFERENCE = 7,
    NXLCAT_COM = 8,
    NXLCAT_DCOM = 9,
    NXLCAT_PLUGIN = 10,
};
