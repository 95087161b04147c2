#pragma once
#include "core/Handle.h"
#include "logging/appenders/NorvaFormater.h"
#include "logging/appenders/TextFileTypes.h"

// Writes trace lines into one text file per period in a folder, starting each run with a
// header line, and removes old files of its own name pattern beyond the newest Keep.
// All file work runs under LoggerLock; an open file lets other processes only read it, so a
// second writer moves on to the next collision index.
class TNorvaAppenderTextFile : public TNorvaAppender {
public:
    TNorvaAppenderTextFile();

    // Trace types after creation, the ones a saved configuration leaves out.
    static constexpr TTraceTypes DefaultTraceTypes{ttInformation, ttWarning, ttError};
    // The folder after creation: the user's temporary folder, long form, with a trailing
    // backslash.
    static std::wstring DefaultOutputDir();

    std::wstring ClassName() const override { return L"TNorvaAppenderTextFile"; }
    std::wstring TagName() const override { return L"TextFile"; }

    void append(TNxLoggerMessage& aEvent) override;
    // Deletes the oldest files matching BuildFileMask until Keep remain; other names are
    // never touched. Does nothing but note the time when CleanUp is off.
    virtual void CleanFiles();
    // Creates a missing output folder when ForceDir is set.
    virtual void DoCheckOutputDir();
    // Writes the open file's buffers to disk.
    void Flush();

    // Raises ELoggerError "Invalid RefreshRate" for rrNone.
    std::wstring BuildFileName(int index) const;
    std::wstring BuildFileMask() const;
    // A file that exists and cannot be opened for exclusive writing.
    static bool IsFileLocked(const std::wstring& path);
    std::wstring BuildHeader() const;

    bool CleanUp() const { return FCleanUp; }
    void SetCleanUp(bool value) { FCleanUp = value; }
    const std::wstring& Extension() const { return FExtension; }
    void SetExtension(const std::wstring& value) { FExtension = value; }
    bool ForceDir() const { return FForceDir; }
    void SetForceDir(bool value) { FForceDir = value; }
    int Keep() const { return FKeep; }
    void SetKeep(int value) { FKeep = value; }
    bool KeepOpen() const { return FKeepOpen; }
    void SetKeepOpen(bool value) { FKeepOpen = value; }
    TNameFormat NameFormat() const { return FNameFormat; }
    void SetNameFormat(TNameFormat value) { FNameFormat = value; }
    // One file, full path, to write to in place of the names built from the folder and the
    // period; its folder is then never cleaned up. Empty: the built names.
    const std::wstring& FixedFileName() const { return FFixedFileName; }
    void SetFixedFileName(const std::wstring& value) { FFixedFileName = value; }
    const std::wstring& OutputDir() const { return FOutputDir; }
    void SetOutputDir(const std::wstring& value) { FOutputDir = value; }
    TRefreshRate RefreshRate() const { return FRefreshRate; }
    void SetRefreshRate(TRefreshRate value) { FRefreshRate = value; }
    THeaders Headers() const { return FHeaders; }
    void SetHeaders(THeaders value) { FHeaders = value; }
    const std::wstring& ModuleName() const { return FModuleName; }
    const std::wstring& FullModuleName() const { return FFullModuleName; }
    const std::wstring& NewFileName() const { return FNewFileName; }
    const std::wstring& OldFileName() const { return FOldFileName; }
    TDateTime LastCleanUp() const { return FLastCleanUp; }
    const TNorvaFormater& Formater() const { return FFormater; }

private:
    std::wstring BuildName(bool mask) const;
    bool PeriodChanged(TDateTime now) const;
    void OpenFile();
    void WriteToFile(const std::string& bytes);
    void DeleteOldest(const std::wstring& folder, const std::wstring& mask);

    bool FCleanUp = true;
    std::wstring FExtension = L"log";
    bool FForceDir = false;
    TNorvaFormater FFormater;
    std::string FLineBytes; // the line being written, under LoggerLock
    int FKeep = 28;
    bool FKeepOpen = true;
    std::wstring FModuleName;
    std::wstring FFullModuleName;
    TNameFormat FNameFormat = nfNameDate;
    std::wstring FNewFileName;
    std::wstring FOldFileName;
    std::wstring FOutputDir;
    TRefreshRate FRefreshRate = rrDaily;
    TDateTime FLastTime = 0;
    TFileHandle FStream;
    TDateTime FLastCleanUp = 0;
    THeaders FHeaders{hdAppName, hdAppVersion, hdUser};
    bool FHeadersDone = false;
    std::wstring FFixedFileName;
    std::wstring FFileName;    // of the open file
    bool FWriteFailed = false; // the last write failed and has been reported
};
