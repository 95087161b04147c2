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
//   logging_writer async-nofile FOLDER text file on in the missing FOLDER, asynchronous mode;
//                                      one plain and one sender line, then the mode off
//   logging_writer brokenfile NAME     text file on in the pipe folder \\.\pipe\NAME\ that
//                                      this program serves; one line, then the pipe is closed
//                                      under the open file and three more lines are written
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

int AsyncNoFile(const std::wstring& folder) {
    TNvLogger& logger = GetLogger();
    logger.TextFile().SetOutputDir(folder);
    logger.TextFile().SetActive(true);
    logger.SetASync(true);
    logger.Write(L"plain", ttInformation);
    logger.Write(TSenderText{L"TProbe"}, L"sender", ttInformation);
    logger.SetASync(false);
    return 0;
}

int BrokenFile(const std::wstring& name) {
    std::wstring folder = L"\\\\.\\pipe\\" + name + L"\\";
    TNorvaAppenderTextFile& file = GetLogger().TextFile();
    file.SetOutputDir(folder);
    // The appender opens the pipe as its file; closing the server end makes its writes fail.
    TFileHandle pipe(CreateNamedPipeW(file.BuildFileName(0).c_str(), PIPE_ACCESS_INBOUND,
                                      PIPE_TYPE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0, nullptr));
    if (!pipe)
        return 3;
    file.SetActive(true);
    GetLogger().Write(TSenderText{L"TProbe"}, L"one", ttInformation);
    pipe.Reset();
    for (const wchar_t* text : {L"two", L"three", L"four"})
        GetLogger().Write(TSenderText{L"TProbe"}, text, ttInformation);
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
    else if (mode == L"async-nofile")
        result = AsyncNoFile(arg);
    else if (mode == L"brokenfile")
        result = BrokenFile(arg);
    std::puts("returned");
    return result;
}
