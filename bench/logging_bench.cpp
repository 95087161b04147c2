// What one Write costs the thread that calls it: in asynchronous mode, in synchronous mode to
// the text file, and a bare WriteFile of the same bytes; then the debug-output channel (the
// debug monitor appender) against bare OutputDebugStringW calls with the same lines. Then four
// threads write 10,000 entries each in asynchronous mode, and the file must hold every line,
// each thread's lines in the order they were written.
//   logging_bench FOLDER    writes its files into FOLDER; exits 1 when a line is missing or out
//                           of order
// A window program, as the uninstaller is: the debug monitor appender echoes every line to the
// standard output of a console program, which the uninstaller never does.
#include "RunMode.h"
#include "core/Text.h"
#include "logging/Logger.h"
#include "logging/appenders/NorvaFormater.h"
#include "logging/base/NxLogAppender.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

// Keeps the line the debug monitor appender sends, formatted as it formats it, so that the bare
// calls send the same text.
class TLineCatcher : public TNxLogAppender {
public:
    std::wstring ClassName() const override { return L"TLineCatcher"; }
    void append(TNxLoggerMessage& aEvent) override {
        Line = TNorvaFormater(GetLogger().DbMon()).formatMessage(aEvent);
    }
    std::wstring Line;
};

constexpr int Entries = 20000;
const std::wstring Text = L"  deleting path : C:\\Program Files (x86)\\Talveno\\LP\\bin\\x.dll";

void SetUpTextFile(TNvLogger& logger, const std::wstring& folder) {
    TNorvaAppenderTextFile& file = logger.TextFile();
    file.SetOutputDir(folder);
    file.SetTraceTypes(AllWritableTraceTypes);
    file.SetActive(true);
}

// Microseconds per Write from the caller's view; the asynchronous run is drained afterwards,
// outside the measurement.
double MeasureWrites(bool async, const std::wstring& folder) {
    TNvLogger::Reset();
    TNvLogger& logger = GetLogger();
    SetUpTextFile(logger, folder);
    logger.SetASync(async);
    logger.Write(TSenderText{L"TBench"}, L"warm-up", ttInformation);
    auto start = TClock::now();
    for (int i = 0; i < Entries; ++i)
        logger.Write(TSenderText{L"TBench"}, Text, ttInformation);
    auto spent = TClock::now() - start;
    logger.SetASync(false);
    return std::chrono::duration<double, std::micro>(spent).count() / Entries;
}

// Microseconds per Write with only the debug monitor appender on, no monitor listening (as on
// a user's machine); the line it sends is kept for the bare calls.
double MeasureDbMon(std::wstring& Line) {
    {
        TLineCatcher catcher;
        TNvLogger::Reset();
        GetLogger().DbMon().SetActive(true);
        GetLogger().addAppender(&catcher);
        GetLogger().Write(TSenderText{L"TBench"}, Text, ttInformation);
        Line = catcher.Line;
        TNvLogger::Reset();
    }
    TNvLogger& logger = GetLogger();
    logger.DbMon().SetActive(true);
    auto start = TClock::now();
    for (int i = 0; i < Entries; ++i)
        logger.Write(TSenderText{L"TBench"}, Text, ttInformation);
    auto spent = TClock::now() - start;
    TNvLogger::Reset();
    return std::chrono::duration<double, std::micro>(spent).count() / Entries;
}

double MeasureOutputDebugString(const std::wstring& Line) {
    auto start = TClock::now();
    for (int i = 0; i < Entries; ++i)
        OutputDebugStringW(Line.c_str());
    auto spent = TClock::now() - start;
    return std::chrono::duration<double, std::micro>(spent).count() / Entries;
}

double MeasureWriteFile(const std::wstring& folder) {
    std::string line = WideToAnsi(L"I|14:03:27|4242|TBench|" + Text + L"|\r\n");
    TFileHandle file(CreateFileW((folder + L"raw.log").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return -1;
    auto start = TClock::now();
    for (int i = 0; i < Entries; ++i) {
        DWORD written = 0;
        WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    auto spent = TClock::now() - start;
    return std::chrono::duration<double, std::micro>(spent).count() / Entries;
}

// Every line of "t<n>" numbered 0 to count - 1, in order, for each thread.
bool CheckThreads(const std::wstring& path, int threads, int count) {
    std::ifstream in(WideToAnsi(path), std::ios::binary);
    std::vector<int> next(threads, 0);
    std::string line;
    while (std::getline(in, line)) {
        size_t at = line.find("|t");
        if (at == std::string::npos)
            continue;
        int thread = 0, index = 0;
        if (std::sscanf(line.c_str() + at, "|t%d|%d|", &thread, &index) != 2 || thread < 0 ||
            thread >= threads)
            continue;
        if (index != next[thread]) {
            std::printf("thread %d: line %d where %d was due\n", thread, index, next[thread]);
            return false;
        }
        ++next[thread];
    }
    for (int t = 0; t < threads; ++t)
        if (next[t] != count) {
            std::printf("thread %d: %d of %d lines\n", t, next[t], count);
            return false;
        }
    return true;
}

bool FourThreads(const std::wstring& folder) {
    const int threads = 4, count = 10000;
    TNvLogger::Reset();
    TNvLogger& logger = GetLogger();
    SetUpTextFile(logger, folder);
    logger.TextFile().SetPrefixes({});
    logger.SetASync(true);
    auto start = TClock::now();
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t)
        writers.emplace_back([&logger, t] {
            TSenderText sender{L"t" + std::to_wstring(t)};
            for (int i = 0; i < count; ++i)
                logger.Write(sender, std::to_wstring(i), ttInformation);
        });
    for (auto& w : writers)
        w.join();
    auto queued = TClock::now() - start;
    logger.SetASync(false);
    auto written = TClock::now() - start;
    std::printf("4 threads x %d entries: queued in %.0f ms, all written after %.0f ms\n", count,
                std::chrono::duration<double, std::milli>(queued).count(),
                std::chrono::duration<double, std::milli>(written).count());
    std::wstring path = logger.TextFile().BuildFileName(0);
    TNvLogger::Reset(); // closes the file
    return CheckThreads(path, threads, count);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (__argc < 2)
        return 2;
    PrintRunMode();
    std::wstring folder = IncludeTrailingBackslash(__wargv[1]);
    std::wstring sync = folder + L"sync\\", async = folder + L"async\\", raw = folder + L"raw\\",
                 threads = folder + L"threads\\";
    // Files of an earlier run would be appended to.
    for (const auto& f : {sync, async, raw, threads}) {
        CreateDirectoryW(f.c_str(), nullptr);
        WIN32_FIND_DATAW data;
        TFindHandle find(FindFirstFileW((f + L"*.log").c_str(), &data));
        if (find)
            do
                DeleteFileW((f + data.cFileName).c_str());
            while (FindNextFileW(find.Get(), &data));
    }
    std::printf("one Write, %d entries, microseconds from the caller's view:\n", Entries);
    const double async_us = MeasureWrites(true, async), sync_us = MeasureWrites(false, sync),
                 raw_us = MeasureWriteFile(raw);
    std::printf("  asynchronous mode       %8.2f\n", async_us);
    std::printf("  synchronous, text file  %8.2f\n", sync_us);
    std::printf("  WriteFile of the line   %8.2f\n", raw_us);
    std::wstring line;
    const double dbmon_us = MeasureDbMon(line), ods_us = MeasureOutputDebugString(line);
    std::printf("  debug monitor appender  %8.2f\n", dbmon_us);
    std::printf("  OutputDebugStringW      %8.2f  (the same %zu-character line)\n", ods_us,
                line.size());
    std::printf("lines per second: asynchronous %.0f, synchronous %.0f, WriteFile %.0f, debug "
                "monitor appender %.0f, OutputDebugStringW %.0f\n",
                1e6 / async_us, 1e6 / sync_us, 1e6 / raw_us, 1e6 / dbmon_us, 1e6 / ods_us);
    std::printf("ratio asynchronous / WriteFile: %.2f\n", async_us / raw_us);
    std::printf("ratio synchronous / WriteFile: %.2f\n", sync_us / raw_us);
    std::printf("ratio debug monitor appender / OutputDebugStringW: %.2f\n", dbmon_us / ods_us);
    bool ok = FourThreads(threads);
    std::puts(ok ? "every line present, each thread's lines in order" : "FAILED");
    return ok ? 0 : 1;
}
