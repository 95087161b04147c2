#pragma once
#include "logging/support/ByteSet.h"

#include <cstdint>
#include <string>

// Period covered by one trace file.
enum TRefreshRate : uint8_t {
    rrNone = 0, // no file name can be built: nothing is written
    rrHourly = 1,
    rrDaily = 2,
    rrWeekly = 3,
};

// Order of the parts of a trace file name.
enum TNameFormat : uint8_t {
    nfNameDate = 0,
    nfDateName = 1,
    nfNamePidDate = 2,
    nfDatePidName = 3,
};

// Items of the header line written at the start of each run.
enum THeader : uint8_t {
    hdAppName = 0,
    hdAppVersion = 1,
    hdHost = 2,
    hdUser = 3,
};
using THeaders = TByteSet<THeader>;

// Configuration names: "None", "Hourly", "Daily", "Weekly" and "NameDate", "DateName",
// "NamePidDate", "DatePidName"; ASCII case is ignored when reading.
std::wstring RefreshRateToStr(TRefreshRate rate);
// Raises ELoggerError "Unknown refresh rate type "%s"".
TRefreshRate StrToRefreshRate(const std::wstring& name);
std::wstring NameFormatToStr(TNameFormat format);
// An unknown name gives nfNameDate.
TNameFormat StrToNameFormat(const std::wstring& name);
