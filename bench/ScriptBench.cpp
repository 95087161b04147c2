// The whole default script on a seeded installation (scripts/bench.sh seeds the prefix first
// with scripts/seed-installation.sh): the engine hosted in this process with a view that shows
// nothing, the script read from the shipped uninstall.exe, run as the window runs it. Prints
// the wall time, the pauses the script asks for (its Delay after every status line), the time
// without them, and the peak working set against the working set before the run.
//   script_bench UNINSTALL_EXE
// A window program, as the uninstaller is: the trace's debug-output appender echoes every line
// to the standard output of a console program, which the uninstaller never does.
#include "RunMode.h"
#include "core/Exception.h"
#include "core/Handle.h"
#include "core/Text.h"
#include "logging/Logger.h"
#include "sys/com/ComInit.h"
#include "uninstall/engine/Engine.h"

#include <windows.h>

#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

// Shows nothing; counts the message pumps, one per status line and each followed by the
// script's pause, and notes when each main status line (a group's, or the run's start and end)
// appeared, with the pumps so far.
class TCountingView : public IUninstallView {
public:
    struct TPhase {
        std::wstring Status;
        TClock::time_point Start;
        int PumpsBefore;
    };

    void ShowStatus(int Kind, const std::wstring& Text) override {
        if (Kind != 1)
            return;
        if (Phases.empty())
            FirstStep = PreciseNow();
        Phases.push_back({Text, TClock::now(), Pumps});
    }
    void AddErrorLine(const std::wstring& Text) override {
        ++Errors;
        std::printf("  error line: %s\n", WideToUtf8(Text).c_str());
    }
    void ProcessMessages() override { ++Pumps; }

    static ULONGLONG PreciseNow() {
        FILETIME now;
        GetSystemTimePreciseAsFileTime(&now);
        return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    }

    int Pumps = 0;
    int Errors = 0;
    std::vector<TPhase> Phases;
    ULONGLONG FirstStep = 0; // when the run's first status line appeared, in 100 ns units
};

// What the window does when "Uninstall" is pressed.
void RunAsTheWindowDoes(TUninstallEngine& Engine) {
    Engine.LoadXml();
    Engine.RunScript();
    Engine.SetStatus(1, L"Uninstallation done.");
    Engine.SetStatus(2, L"");
    if (!Engine.LockedFiles().empty()) {
        Engine.SetStatus(2, L"The computer must be restarted to complete the uninstallation.");
        Engine.DeleteLockedFiles();
    }
}

// How long one pause of Ms really takes here, on average over Count pauses.
double MeasuredPause(uint32_t Ms, int Count) {
    auto start = TClock::now();
    for (int i = 0; i < Count; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(Ms));
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count() / Count;
}

PROCESS_MEMORY_COUNTERS MemoryCounters() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

double Mib(SIZE_T Bytes) {
    return static_cast<double>(Bytes) / (1024.0 * 1024.0);
}

// From this process's creation to the given system time (100 ns units).
double MsSinceProcessStart(ULONGLONG When) {
    FILETIME created, exited, kernel, user;
    if (!When || !GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    const ULONGLONG start =
        (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return static_cast<double>(When - start) / 10000.0;
}

// Each main status line's stretch until the next one, without the pauses it slept, and its
// share of the run's work.
void PrintPhases(const TCountingView& View, TClock::time_point End, double Pause, double Work) {
    std::printf("  each stretch without its pauses (share of %.0f ms):\n", Work);
    const auto& phases = View.Phases;
    for (size_t i = 0; i < phases.size(); ++i) {
        const bool last = i + 1 == phases.size();
        const auto until = last ? End : phases[i + 1].Start;
        const int pumps = (last ? View.Pumps : phases[i + 1].PumpsBefore) - phases[i].PumpsBefore;
        const double ms =
            std::chrono::duration<double, std::milli>(until - phases[i].Start).count() -
            pumps * Pause;
        std::printf("    %-45s %8.0f ms  %5.1f %%\n", WideToUtf8(phases[i].Status).c_str(), ms,
                    Work > 0 ? 100.0 * ms / Work : 0.0);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (__argc < 2)
        return 2;
    PrintRunMode();
    TComInit com;
    // The trace as the shipped program has it without "/trace": the debug-output channel.
    GetLogger().DbMon().SetActive(true);
    TModuleHandle module(LoadLibraryExW(__wargv[1], nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) {
        std::printf("cannot load %s\n", WideToUtf8(__wargv[1]).c_str());
        return 2;
    }
    const SIZE_T before = MemoryCounters().WorkingSetSize;
    TCountingView view;
    TUninstallEngine engine(view, module.Get());
    auto start = TClock::now();
    try {
        RunAsTheWindowDoes(engine);
    } catch (const std::exception& e) {
        std::printf("the run ended: %s\n", WideToUtf8(ExceptionMessage(e)).c_str());
        return 1;
    }
    const double wall = std::chrono::duration<double, std::milli>(TClock::now() - start).count();
    const SIZE_T peak = MemoryCounters().PeakWorkingSetSize;
    const auto end = TClock::now();

    const uint32_t delay = engine.Delay();
    const double configured = static_cast<double>(view.Pumps) * delay;
    const double slept = view.Pumps * MeasuredPause(delay, 50);
    std::printf("default script on the seeded installation: %d status lines, %d error lines, "
                "%zu entries for the restart\n",
                view.Pumps, view.Errors, engine.LockedFiles().size());
    std::printf("  wall time                          %8.0f ms\n", wall);
    std::printf("  pauses configured (%d x %u ms)    %8.0f ms\n", view.Pumps, delay, configured);
    std::printf("  wall time minus configured pauses  %8.0f ms\n", wall - configured);
    std::printf("  pauses as this system sleeps them  %8.0f ms (one: %.1f ms)\n", slept,
                slept / (view.Pumps ? view.Pumps : 1));
    std::printf("  wall time minus pauses as slept    %8.0f ms\n", wall - slept);
    std::printf("  ratio wall time / configured pauses: %.2f\n", wall / configured);
    std::printf("  working set before the run %.1f MiB, peak working set %.1f MiB (ratio %.2f)\n",
                Mib(before), Mib(peak), static_cast<double>(peak) / before);
    std::printf("  time to the first step             %8.0f ms (process start, COM, the trace, "
                "MSXML and the script)\n",
                MsSinceProcessStart(view.FirstStep));
    PrintPhases(view, end, slept / (view.Pumps ? view.Pumps : 1), wall - slept);
    return 0;
}
