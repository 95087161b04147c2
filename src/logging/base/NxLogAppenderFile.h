#pragma once
#include "logging/base/NxLogAppender.h"
#include "logging/base/NxLogFormaterDefault.h"

#include <cstdint>

enum TNxLogAppenderFileStrategy : uint8_t {
    NXLFS_SINGLEFILE = 0, // base_all.nxlog
    NXLFS_NEWFILES = 1,   // base_<UTC date>.nxlog
    NXLFS_RENAME = 2,     // base_current.nxlog, moved to base_from_<date>.nxlog each UTC day
};

// Writes every message it gets as a plain line into ".nxlog" files. Keeps no file open; a line
// that cannot be written is tried again up to fRetryCount times, 50 ms apart.
class TNxLogAppenderFile : public TNxLogAppender {
public:
    // By default the files go beside the executable and are named after it.
    TNxLogAppenderFile();
    TNxLogAppenderFile(const std::wstring& aDirectory, const std::wstring& aFilenameBase);

    std::wstring ClassName() const override { return L"TNxLogAppenderFile"; }

    void append(TNxLoggerMessage& aEvent) override;

    TNxLogAppenderFileStrategy getStrategy() const { return fStrategy; }
    void setStrategy(TNxLogAppenderFileStrategy aStrategy) { fStrategy = aStrategy; }

protected:
    virtual void appendSingleFile(TNxLoggerMessage& aEvent);
    virtual void appendNewFiles(TNxLoggerMessage& aEvent);
    virtual void appendRename(TNxLoggerMessage& aEvent);

private:
    void writeWithRetry(TNxLoggerMessage& aEvent, TNxLogAppenderFileStrategy strategy);
    std::wstring fileNameFor(TNxLogAppenderFileStrategy strategy);
    void writeLine(const std::wstring& fileName, const TNxLoggerMessage& aEvent);

    TNxLogFormaterDefault fFormater;
    const TFormatSettings& fFormatSettings = FixedFormatSettings();
    std::wstring fDirectory;
    std::wstring fFilenameBase;
    int fRetryCount = 10;
    TNxLogAppenderFileStrategy fStrategy = NXLFS_NEWFILES;
    double fLastDate;
};

// The current UTC time, following the replaceable clock.
TDateTime UtcNow();
