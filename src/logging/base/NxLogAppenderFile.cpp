#include "logging/base/NxLogAppenderFile.h"
#include "core/Format.h"
#include "core/SystemError.h"
#include "core/Text.h"
#include "logging/support/LogFiles.h"
#include "logging/support/ProcessInfo.h"

#include <cmath>

TDateTime UtcNow() {
    SYSTEMTIME local = DateTimeToSystemTime(Now()), utc;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc))
        return Now();
    return SystemTimeToDateTime(utc);
}

TNxLogAppenderFile::TNxLogAppenderFile()
    : TNxLogAppenderFile(LogFiles::ExtractFilePath(ProcessInfo::ExePath()),
                         ProcessInfo::ApplicationId()) {}

TNxLogAppenderFile::TNxLogAppenderFile(const std::wstring& aDirectory,
                                       const std::wstring& aFilenameBase)
    : fDirectory(IncludeTrailingBackslash(aDirectory)), fFilenameBase(aFilenameBase),
      fLastDate(WholeDay(UtcNow())) {}

void TNxLogAppenderFile::append(TNxLoggerMessage& aEvent) {
    switch (fStrategy) {
    case NXLFS_SINGLEFILE:
        appendSingleFile(aEvent);
        break;
    case NXLFS_RENAME:
        appendRename(aEvent);
        break;
    default:
        appendNewFiles(aEvent);
        break;
    }
}

void TNxLogAppenderFile::appendSingleFile(TNxLoggerMessage& aEvent) {
    writeWithRetry(aEvent, NXLFS_SINGLEFILE);
}

void TNxLogAppenderFile::appendNewFiles(TNxLoggerMessage& aEvent) {
    writeWithRetry(aEvent, NXLFS_NEWFILES);
}

void TNxLogAppenderFile::appendRename(TNxLoggerMessage& aEvent) {
    writeWithRetry(aEvent, NXLFS_RENAME);
}

void TNxLogAppenderFile::writeWithRetry(TNxLoggerMessage& aEvent,
                                        TNxLogAppenderFileStrategy strategy) {
    // The base logger must never fail because of its own file; a line that still cannot be
    // written after the last attempt is dropped.
    for (int attemptsLeft = fRetryCount;; --attemptsLeft) {
        try {
            // A folder that cannot be made shows as the file that cannot be opened next.
            if (!LogFiles::DirectoryExists(fDirectory))
                static_cast<void>(LogFiles::ForceDirectories(fDirectory));
            writeLine(fileNameFor(strategy), aEvent);
            return;
        } catch (const std::exception&) {
        }
        if (attemptsLeft <= 0)
            return;
        Sleep(50);
    }
}

std::wstring TNxLogAppenderFile::fileNameFor(TNxLogAppenderFileStrategy strategy) {
    std::wstring base = fDirectory + fFilenameBase + L"_";
    if (strategy == NXLFS_SINGLEFILE)
        return base + L"all.nxlog";
    TDateTime utc = UtcNow();
    if (strategy == NXLFS_NEWFILES)
        return base + FormatDateTime(fFormatSettings.ShortDateFormat, utc, fFormatSettings) +
               L".nxlog";
    std::wstring current = base + L"current.nxlog";
    double today = WholeDay(utc);
    if (today > fLastDate) {
        // The day moves on at the first attempt: when the move fails (the dated file may
        // already be there, written by another process), the retry writes to the current file
        // instead of failing the same way until the line is dropped.
        fLastDate = today;
        std::wstring dated = base + L"from_" +
                             FormatDateTime(fFormatSettings.ShortDateFormat, utc, fFormatSettings) +
                             L".nxlog";
        if (LogFiles::FileExists(current) && !MoveFileW(current.c_str(), dated.c_str()))
            throw Exception(
                Format(L"could not rename logfile \"%0:s\" to \"%1:s\".", {current, dated}));
    }
    return current;
}

void TNxLogAppenderFile::writeLine(const std::wstring& fileName, const TNxLoggerMessage& aEvent) {
    std::string line = WideToUtf8(fFormater.formatMessage(aEvent) + L"\r\n");
    TFileHandle file = LogFiles::OpenForAppend(fileName, LogFiles::FileExists(fileName));
    // A failed write is an attempt that failed: it is tried again like a busy file.
    if (!LogFiles::WriteBytes(file, line))
        RaiseSystemError(Format(L"Cannot write to file \"%s\"", {fileName}), GetLastError());
}
