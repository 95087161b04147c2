#include "uninstall/app/TraceSetup.h"
#include "core/Exception.h"
#include "core/SystemError.h"
#include "logging/Logger.h"
#include "logging/support/ProcessInfo.h"

#include <windows.h>

#include <shlobj.h>

namespace {

std::wstring ExeFolder() {
    std::wstring path = ProcessInfo::ExePath();
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

// The full path of a log file as typed, and its folder made; raises with the system's text.
std::wstring PreparedLogFile(const std::wstring& Typed) {
    DWORD size = GetFullPathNameW(Typed.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    size = size ? GetFullPathNameW(Typed.c_str(), size, full.data(), nullptr) : 0;
    if (size == 0 || size >= full.size())
        RaiseSystemError(L"the path cannot be read", GetLastError());
    full.resize(size);
    const size_t slash = full.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == full.size())
        throw Exception(L"the path names no file");
    // An administrator may be let write a read-only file; its owner meant it to stay as it is.
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw Exception(L"the path is a folder");
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw Exception(L"the file is read-only");
    // Every missing folder on the way; a drive's root is there.
    if (slash > 2) {
        const std::wstring folder = full.substr(0, slash);
        const int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        if (result != ERROR_SUCCESS && result != ERROR_ALREADY_EXISTS)
            RaiseSystemError(L"the folder \"" + folder + L"\" cannot be made",
                             static_cast<DWORD>(result));
    }
    return full;
}

} // namespace

std::wstring SetUpTrace(bool TextFile, bool Quiet, const std::wstring& LogPath) {
    TNvLogger& logger = GetLogger();
    logger.DbMon().SetActive(true);
    logger.TextFile().SetActive(TextFile);
    logger.TextFile().SetOutputDir(ExeFolder());
    if (TextFile && !LogPath.empty()) {
        try {
            logger.TextFile().SetFixedFileName(PreparedLogFile(LogPath));
        } catch (const std::exception& e) {
            logger.TextFile().SetActive(false);
            return ExceptionMessage(e);
        }
    }
    logger.TextFile().SetTraceTypes(AllWritableTraceTypes);
    logger.TextFile().SetPrefixes({pfxTime});
    logger.TextFile().SetHeaders({hdAppName, hdAppVersion});
    try {
        logger.Write(L"Trace system initialized.", ttInformation);
    } catch (const std::exception& e) {
        logger.TextFile().SetActive(false);
        // A log file the administrator named is part of the job: no run without it.
        if (!LogPath.empty())
            return ExceptionMessage(e);
        // Without its trace file beside it the uninstaller still works; say so and go on.
        const std::wstring warning =
            L"The trace file cannot be written (" + ExceptionMessage(e) + L").";
        if (Quiet)
            logger.Write(TSenderText{L"Main"}, warning, ttWarning);
        else
            MessageBoxW(nullptr, warning.c_str(), ProcessInfo::ApplicationId().c_str(),
                        MB_OK | MB_ICONWARNING);
    }
    return {};
}
