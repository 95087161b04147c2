// Writes through the logger facade with its standard appenders, set up as the program entry
// does, so that tests can watch a real process's trace.
//   logging_writer startup FOLDER [HOLD_EVENT]
//       debug monitor on; text file on in FOLDER (all four types, time only, name and version
//       header); writes "Trace system initialized." and TMainForm's "UninstallFolder()"; with
//       HOLD_EVENT keeps the file open until that named event is signalled
//   logging_writer forcedir FOLDER     text file on in FOLDER with ForceDir, one sender line
//   logging_writer norate FOLDER       text file on with the refresh rate None; one plain and
//                                      one sender line
//   logging_writer eventlog SOURCE|-   event log on (SOURCE set unless "-"); writes one entry
//                                      of each trace type
#include "logging/Logger.h"

#include <cstdio>
#include <string>

namespace {

int Startup(const std::wstring& folder, const std::wstring& holdEvent) {
    TNvLogger& logger = GetLogger();
    logger.DbMon().SetActive(true);
    TNorvaAppenderTextFile& file = logger.TextFile();
    file.SetOutputDir(folder);
    file.SetTraceTypes(AllWritableTraceTypes);
    file.SetPrefixes({pfxTime});
    file.SetHeaders({hdAppName, hdAppVersion});
    file.SetActive(true);
    logger.Write(L"Trace system initialized.", ttInformation);
    logger.Write(TSenderText{L"TMainForm"}, L"UninstallFolder()", ttInformation);
    if (!holdEvent.empty()) {
        TKernelHandle event(OpenEventW(SYNCHRONIZE, FALSE, holdEvent.c_str()));
        if (!event || WaitForSingleObject(event.Get(), 30000) != WAIT_OBJECT_0)
            return 3;
    }
    return 0;
}

int ForceDir(const std::wstring& folder) {
    TNorvaAppenderTextFile& file = GetLogger().TextFile();
    file.SetOutputDir(folder);
    file.SetForceDir(true);
    file.SetActive(true);
    GetLogger().Write(TSenderText{L"TProbe"}, L"forced", ttInformation);
    return 0;
}

int NoRate(const std::wstring& folder) {
    TNorvaAppenderTextFile& file = GetLogger().TextFile();
    file.SetOutputDir(folder);
    file.SetRefreshRate(rrNone);
    file.SetActive(true);
    GetLogger().Write(L"plain", ttInformation);
    GetLogger().Write(TSenderText{L"TProbe"}, L"sender", ttInformation);
    return 0;
}

int EventLog(const std::wstring& source) {
    TNorvaAppenderEventViewer& events = GetLogger().EventViewer();
    if (source != L"-")
        events.SetSource(source);
    events.SetActive(true);
    for (auto [text, type] : {std::pair{L"boom", ttError}, std::pair{L"careful", ttWarning},
                              std::pair{L"fyi", ttInformation}, std::pair{L"dbg", ttDebug}})
        GetLogger().Write(TSenderText{L"TProbe"}, text, type);
    std::wprintf(L"name=%ls\n", events.Name().c_str());
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 2;
    std::wstring mode = argv[1], arg = argv[2];
    int result = 2;
    if (mode == L"startup")
        result = Startup(arg, argc > 3 ? argv[3] : L"");
    else if (mode == L"forcedir")
        result = ForceDir(arg);
    else if (mode == L"norate")
        result = NoRate(arg);
    else if (mode == L"eventlog")
        result = EventLog(arg);
    std::puts("returned");
    return result;
}
