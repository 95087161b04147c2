// Program entry: sets up the trace, then shows the main window until it closes.
#include "core/Text.h"
#include "logging/Logger.h"
#include "logging/support/ProcessInfo.h"
#include "sys/ComInit.h"
#include "sys/DllSearch.h"
#include "uninstall/ui/MainForm.h"

#include <windows.h>

#include <shellapi.h>

namespace {

// The switch is "trace" after "-" or "/", in any letter case; nothing else is read.
bool HasTraceSwitch() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    bool found = false;
    for (int i = 1; args && i < count; ++i) {
        std::wstring arg = args[i];
        if (arg.size() == 6 && (arg[0] == L'-' || arg[0] == L'/') &&
            SameTextAscii(arg.substr(1), L"trace"))
            found = true;
    }
    LocalFree(args);
    return found;
}

std::wstring ExeFolder() {
    std::wstring path = ProcessInfo::ExePath();
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

void SetUpLogger() {
    TNvLogger& logger = GetLogger();
    logger.DbMon().SetActive(true);
    logger.TextFile().SetActive(HasTraceSwitch());
    logger.TextFile().SetOutputDir(ExeFolder());
    logger.TextFile().SetTraceTypes(AllWritableTraceTypes);
    logger.TextFile().SetPrefixes({pfxTime});
    logger.TextFile().SetHeaders({hdAppName, hdAppVersion});
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    // Before anything loads a library by name: never from the program's own folder, where a
    // downloaded uninstaller may have company.
    try {
        SetDefaultDllSearch();
    } catch (const std::exception& e) {
        MessageBoxW(nullptr, ExceptionMessage(e).c_str(), L"uninstall", MB_OK | MB_ICONERROR);
        return 1;
    }
    TComInit com;
    SetUpLogger();
    try {
        GetLogger().Write(L"Trace system initialized.", ttInformation);
    } catch (const std::exception& e) {
        // Without its trace file the uninstaller still works; say so and go on.
        GetLogger().TextFile().SetActive(false);
        MessageBoxW(nullptr,
                    (L"The trace file cannot be written (" + ExceptionMessage(e) + L").").c_str(),
                    L"uninstall", MB_OK | MB_ICONWARNING);
    }
    TMainForm form(instance);
    return form.Run(show);
}
