#pragma once
#include "logging/Logger.h"

#include <sstream>
#include <string>

namespace test {

inline std::wstring Bits(uint8_t byte) {
    return std::to_wstring(byte);
}

// Every setting a configuration store keeps, one per line: two facades with the same text
// read and save the same configuration.
inline std::wstring Settings(const TNvLogger& logger) {
    std::wostringstream out;
    out << L"Active=" << logger.Active() << L"\nASync=" << logger.ASync() << L"\nASyncDelay="
        << logger.ASyncDelay() << L"\n";
    const TNorvaAppender* appenders[] = {&logger.DbMon(), &logger.EventViewer(),
                                         &logger.TextFile()};
    for (const TNorvaAppender* a : appenders)
        out << a->TagName() << L".Active=" << a->Active() << L"\n"
            << a->TagName() << L".TraceTypes=" << Bits(a->TraceTypes().Byte()) << L"\n"
            << a->TagName() << L".Prefixes=" << Bits(a->Prefixes().Byte()) << L"\n"
            << a->TagName() << L".Separator=[" << a->Separator() << L"]\n"
            << a->TagName() << L".DateFormat=[" << a->DateFormat() << L"]\n"
            << a->TagName() << L".TimeFormat=[" << a->TimeFormat() << L"]\n";
    out << L"EventViewer.Source=[" << logger.EventViewer().Source() << L"]\n";
    const TNorvaAppenderTextFile& file = logger.TextFile();
    out << L"TextFile.CleanUp=" << file.CleanUp() << L"\nTextFile.Keep=" << file.Keep()
        << L"\nTextFile.KeepOpen=" << file.KeepOpen() << L"\nTextFile.ForceDir=" << file.ForceDir()
        << L"\nTextFile.OutputDir=[" << file.OutputDir() << L"]\nTextFile.RefreshRate="
        << RefreshRateToStr(file.RefreshRate()) << L"\nTextFile.Extension=[" << file.Extension()
        << L"]\nTextFile.NameFormat=" << NameFormatToStr(file.NameFormat())
        << L"\nTextFile.Headers=" << Bits(file.Headers().Byte()) << L"\n";
    return out.str();
}

// Every kept setting away from its default. The text file's column and header item of the
// same INI key agree (host on, application name off), as that store keeps one value for both.
inline void ConfigureEverything(TNvLogger& logger, const std::wstring& folder) {
    logger.SetActive(false);
    logger.SetASyncDelay(120);
    logger.SetASync(true);

    TNorvaAppenderDbMon& dbmon = logger.DbMon();
    dbmon.SetActive(true);
    dbmon.SetTraceTypes({ttError, ttDebug});
    dbmon.SetPrefixes({pfxDate, pfxProcID, pfxAppName});
    dbmon.SetSeparator(L" - ");
    dbmon.SetDateFormat(L"yyyy-mm-dd");
    dbmon.SetTimeFormat(L"hh:nn:ss.zzz");

    TNorvaAppenderEventViewer& events = logger.EventViewer();
    events.SetActive(true);
    events.SetTraceTypes({ttInformation, ttReporting});
    events.SetPrefixes({});
    events.SetSource(L"H3Config");

    TNorvaAppenderTextFile& file = logger.TextFile();
    file.SetTraceTypes({ttWarning});
    file.SetPrefixes({pfxTime, pfxThreadID, pfxHost});
    file.SetSeparator(L";");
    file.SetCleanUp(false);
    file.SetKeep(5);
    file.SetKeepOpen(false);
    file.SetForceDir(true);
    file.SetOutputDir(folder);
    file.SetRefreshRate(rrWeekly);
    file.SetExtension(L"txt");
    file.SetNameFormat(nfDatePidName);
    file.SetHeaders({hdHost, hdUser});
    file.SetActive(true);
}

} // namespace test
