#include "logging/appenders/NorvaAppenderTextFile.h"
#include "core/Format.h"
#include "core/Text.h"
#include "logging/support/DateFormat.h"
#include "logging/support/LogFiles.h"
#include "logging/support/LoggerError.h"
#include "logging/support/Report.h"
#include "logging/support/ProcessInfo.h"

#include <algorithm>
#include <iterator>
#include <cmath>
#include <cwctype>
#include <vector>

namespace {

const wchar_t* const NamePatterns[] = {nullptr, L"%0:s_%1:s_%2:s", L"%0:s_%1:s", L"%0:s_%1:s_%3:s"};

// "*" stands for any run of characters; case is ignored as the file system does.
bool MatchesMask(const std::wstring& name, const std::wstring& mask) {
    size_t n = 0, m = 0, star = std::wstring::npos, resume = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == L'*') {
            star = m++;
            resume = n;
        } else if (m < mask.size() && std::towlower(mask[m]) == std::towlower(name[n])) {
            ++m;
            ++n;
        } else if (star != std::wstring::npos) {
            m = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == L'*')
        ++m;
    return m == mask.size();
}

// Last-write time in ten-thousandths of a day, local time.
long long AgeStamp(const FILETIME& written) {
    FILETIME local;
    SYSTEMTIME st;
    FileTimeToLocalFileTime(&written, &local);
    FileTimeToSystemTime(&local, &st);
    return static_cast<long long>(std::floor(SystemTimeToDateTime(st) * 10000));
}

struct TListedFile {
    std::wstring Name;
    long long Stamp;
};

std::vector<TListedFile> ListMatching(const std::wstring& folder, const std::wstring& mask) {
    std::vector<TListedFile> files;
    WIN32_FIND_DATAW data;
    TFindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
    if (!find)
        return files;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            MatchesMask(data.cFileName, mask))
            files.push_back({data.cFileName, AgeStamp(data.ftLastWriteTime)});
    } while (FindNextFileW(find.Get(), &data));
    return files;
}

} // namespace

TNorvaAppenderTextFile::TNorvaAppenderTextFile()
    : FFormater(*this), FModuleName(ProcessInfo::ExeFileName()),
      FFullModuleName(ProcessInfo::ExePath()), FOutputDir(DefaultOutputDir()) {
    SetTraceTypes(DefaultTraceTypes);
}

std::wstring TNorvaAppenderTextFile::DefaultOutputDir() {
    wchar_t buffer[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring path(buffer, n <= MAX_PATH ? n : 0);
    std::wstring longPath(32768, L'\0');
    DWORD m = GetLongPathNameW(path.c_str(), longPath.data(), 32768);
    if (m > 0 && m < 32768)
        path = longPath.substr(0, m);
    return IncludeTrailingBackslash(path);
}

void TNorvaAppenderTextFile::append(TNxLoggerMessage& aEvent) {
    if (!Accepts(aEvent))
        return;
    const std::wstring& line = FFormater.Line(aEvent);
    std::lock_guard<std::recursive_mutex> lock(LoggerLock());
    // The line's bytes go into a buffer kept for the next line.
    AssignAnsi(FLineBytes, line);
    FLineBytes += "\r\n";
    if (FLastCleanUp == 0) {
        DoCheckOutputDir();
        CleanFiles();
    }
    if (FKeepOpen) {
        TDateTime now = Now();
        bool changed = PeriodChanged(now);
        FLastTime = now;
        if (changed)
            FStream.Reset();
    }
    if (!FStream)
        OpenFile();
    if (!FHeadersDone) {
        WriteToFile(WideToAnsi(BuildHeader() + L"\r\n"));
        FHeadersDone = true;
    }
    WriteToFile(FLineBytes);
    if (!FKeepOpen)
        FStream.Reset();
}

// A period ends when the hour (with its day), the day or the ISO week (with its year) of the
// current time differs from that of the previous line.
bool TNorvaAppenderTextFile::PeriodChanged(TDateTime now) const {
    switch (FRefreshRate) {
    case rrHourly:
        return WholeHour(now) != WholeHour(FLastTime);
    case rrDaily:
        return WholeDay(now) != WholeDay(FLastTime);
    case rrWeekly:
        return IsoWeekOf(now) != IsoWeekOf(FLastTime) ||
               IsoWeekYearOf(now) != IsoWeekYearOf(FLastTime);
    default:
        return false;
    }
}

void TNorvaAppenderTextFile::OpenFile() {
    std::wstring name = FFixedFileName;
    if (name.empty()) {
        name = BuildFileName(0);
        for (int n = 1; IsFileLocked(name); ++n)
            name = BuildFileName(n);
    }
    FStream = LogFiles::OpenForAppend(name, true);
    FFileName = name;
}

// A failed write loses its line but keeps the file open. It is reported once, not for every
// line that follows, until a write succeeds again.
void TNorvaAppenderTextFile::WriteToFile(const std::string& bytes) {
    if (LogFiles::WriteBytes(FStream, bytes)) {
        FWriteFailed = false;
        return;
    }
    DWORD error = GetLastError();
    if (FWriteFailed)
        return;
    FWriteFailed = true;
    ReportWarning(L"TTextFile.Write (%s) failed (%s).",
                  {FFileName, LogFiles::SysErrorMessage(error)});
}

std::wstring TNorvaAppenderTextFile::BuildName(bool mask) const {
    if (FRefreshRate == rrNone || FRefreshRate >= std::size(NamePatterns))
        throw ELoggerError(L"Invalid RefreshRate");
    TDateTime now = Now();
    std::wstring date = mask ? L"*" : FormatDateTime(L"yyyymmdd", now, FixedFormatSettings());
    std::wstring hour = mask ? L"*" : std::to_wstring(DateTimeToSystemTime(now).wHour);
    std::wstring week = mask ? L"*" : std::to_wstring(IsoWeekOf(now));
    std::wstring pid =
        mask ? L"_*_" : Format(L"_%.4x_", {static_cast<unsigned long>(GetCurrentProcessId())});
    TVarRecs args;
    switch (FNameFormat) {
    case nfDateName:
        args = {date, FModuleName, hour, week};
        break;
    case nfNamePidDate:
        args = {FModuleName + pid, date, hour, week};
        break;
    case nfDatePidName:
        args = {date, pid + FModuleName, hour, week};
        break;
    default:
        args = {FModuleName, date, hour, week};
        break;
    }
    return IncludeTrailingBackslash(FOutputDir) + Format(NamePatterns[FRefreshRate], args);
}

std::wstring TNorvaAppenderTextFile::BuildFileName(int index) const {
    std::wstring name = BuildName(false);
    if (index > 0)
        name += L"_" + std::to_wstring(index);
    return name + L"." + FExtension;
}

std::wstring TNorvaAppenderTextFile::BuildFileMask() const {
    std::wstring mask = BuildName(true);
    return FExtension.empty() ? mask : mask + L"." + FExtension;
}

bool TNorvaAppenderTextFile::IsFileLocked(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // Checked by its attribute too: an administrator may be allowed to open it for writing.
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return true;
    TFileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file;
}

std::wstring TNorvaAppenderTextFile::BuildHeader() const {
    const std::wstring& separator = Separator();
    std::wstring header;
    if (FHeaders.Contains(hdAppName))
        header += FFormater.ApplicationName() + separator;
    if (FHeaders.Contains(hdAppVersion))
        header += FFormater.ApplicationVersion() + separator;
    if (FHeaders.Contains(hdHost))
        header += FFormater.ApplicationHost() + separator;
    if (FHeaders.Contains(hdUser))
        header += FFormater.ApplicationUser() + separator;
    return header;
}

void TNorvaAppenderTextFile::CleanFiles() {
    FLastCleanUp = Now();
    // A file named by the caller is the caller's: its folder holds no files of this pattern.
    if (!FCleanUp || !FFixedFileName.empty())
        return;
    try {
        std::wstring mask = BuildFileMask();
        size_t slash = mask.find_last_of(L'\\');
        DeleteOldest(mask.substr(0, slash + 1), mask.substr(slash + 1));
    } catch (const ELoggerError& e) {
        ReportWarning(L"TTextFile.CleanFiles failed (%s).", {e.Message()});
    }
}

void TNorvaAppenderTextFile::DeleteOldest(const std::wstring& folder, const std::wstring& mask) {
    std::vector<TListedFile> files = ListMatching(folder, mask);
    std::stable_sort(files.begin(), files.end(),
                     [](const TListedFile& a, const TListedFile& b) { return a.Stamp < b.Stamp; });
    // A negative Keep leaves nothing, as 0 does.
    size_t keep = FKeep > 0 ? static_cast<size_t>(FKeep) : 0;
    for (size_t i = 0; i + keep < files.size(); ++i) {
        std::wstring path = folder + files[i].Name;
        if (!DeleteFileW(path.c_str()))
            ReportWarning(L"TTextFile.CleanFiles DeleteFile (%s) failed (%s).",
                          {files[i].Name, LogFiles::SysErrorMessage(GetLastError())});
    }
}

void TNorvaAppenderTextFile::DoCheckOutputDir() {
    if (FForceDir && !LogFiles::DirectoryExists(FOutputDir) &&
        !LogFiles::ForceDirectories(FOutputDir))
        ReportError(L"%s.DoCheckOutputDir failed (ForceDirectories(%s) failed)",
                    {ClassName(), FOutputDir});
}

void TNorvaAppenderTextFile::Flush() {
    if (FStream)
        FlushFileBuffers(FStream.Get());
}
