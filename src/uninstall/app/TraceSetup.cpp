#include "uninstall/app/TraceSetup.h"
#include "core/Exception.h"
#include "core/Text.h"
#include "logging/Logger.h"
#include "logging/support/ProcessInfo.h"
#include "sys/files/ProvenPath.h"
#include "uninstall/report/OutputFile.h"

#include <windows.h>

namespace {

std::wstring ExeFolder() {
    return IncludeTrailingBackslash(ParentOf(ProcessInfo::ExePath()));
}

} // namespace

std::wstring SetUpTrace(bool TextFile, bool Quiet, const std::wstring& LogPath) {
    TNvLogger& logger = GetLogger();
    logger.DbMon().SetActive(true);
    logger.TextFile().SetActive(TextFile);
    logger.TextFile().SetOutputDir(ExeFolder());
    // Beside the program may be a downloads folder, another user's: a link planted there under
    // the trace file's name would have the administrator's lines written into a system file.
    if (TextFile && LogPath.empty()) {
        const std::wstring file = logger.TextFile().BuildFileName(0);
        if (const FileSystem::TPathProof proof = FileSystem::ProveOutputFile(file); !proof.Proven) {
            logger.TextFile().SetActive(false);
            logger.Write(TSenderText{L"Main"},
                         L"The trace file \"%s\" is not written: other users can change where "
                         L"it goes (%s).",
                         {file, proof.Reason}, ttWarning);
            TextFile = false;
        }
    }
    if (TextFile && !LogPath.empty()) {
        try {
            logger.TextFile().SetFixedFileName(PreparedOutputFile(LogPath).Path());
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
