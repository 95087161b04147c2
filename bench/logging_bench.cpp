// What one Write costs the thread that calls it: in asynchronous mode, in synchronous mode to
// the text file, and a bare WriteFile of the same bytes. Then four threads write 10,000
// entries each in asynchronous mode, and the file must hold every line, each thread's lines in
// the order they were written.
//   logging_bench FOLDER    writes its files into FOLDER; exits 1 when a line is missing or out
//                           of order
#include "core/Text.h"
#include "logging/Logger.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

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

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    std::wstring folder = IncludeTrailingBackslash(argv[1]);
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
    std::printf("  asynchronous mode       %8.2f\n", MeasureWrites(true, async));
    std::printf("  synchronous, text file  %8.2f\n", MeasureWrites(false, sync));
    std::printf("  WriteFile of the line   %8.2f\n", MeasureWriteFile(raw));
    bool ok = FourThreads(threads);
    std::puts(ok ? "every line present, each thread's lines in order" : "FAILED");
    return ok ? 0 : 1;
}
