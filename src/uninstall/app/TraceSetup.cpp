#include "uninstall/app/TraceSetup.h"
#include "core/Exception.h"
#include "logging/Logger.h"
#include "logging/support/ProcessInfo.h"

#include <windows.h>

namespace {

std::wstring ExeFolder() {
    std::wstring path = ProcessInfo::ExePath();
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

} // namespace

void SetUpTrace(bool TextFile, bool Quiet) {
    TNvLogger& logger = GetLogger();
    logger.DbMon().SetActive(true);
    logger.TextFile().SetActive(TextFile);
    logger.TextFile().SetOutputDir(ExeFolder());
    logger.TextFile().SetTraceTypes(AllWritableTraceTypes);
    logger.TextFile().SetPrefixes({pfxTime});
    logger.TextFile().SetHeaders({hdAppName, hdAppVersion});
    try {
        logger.Write(L"Trace system initialized.", ttInformation);
    } catch (const std::exception& e) {
        // Without its trace file the uninstaller still works; say so and go on.
        logger.TextFile().SetActive(false);
        const std::wstring warning =
            L"The trace file cannot be written (" + ExceptionMessage(e) + L").";
        if (Quiet)
            logger.Write(TSenderText{L"Main"}, warning, ttWarning);
        else
            MessageBoxW(nullptr, warning.c_str(), ProcessInfo::ApplicationId().c_str(),
                        MB_OK | MB_ICONWARNING);
    }
}
