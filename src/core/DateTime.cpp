#include "core/DateTime.h"

#include <atomic>
#include <cmath>

namespace {

constexpr double MsPerDay = 86400000.0;

// Days from 1 January 1601 (FILETIME's origin) to 30 December 1899.
constexpr double DaysFrom1601 = 109205.0;

TDateTime SystemClock() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return SystemTimeToDateTime(now);
}

std::atomic<TClockFunc> Clock{&SystemClock};

} // namespace

TDateTime SystemTimeToDateTime(const SYSTEMTIME& time) {
    FILETIME ft;
    SystemTimeToFileTime(&time, &ft);
    ULARGE_INTEGER ticks;
    ticks.LowPart = ft.dwLowDateTime;
    ticks.HighPart = ft.dwHighDateTime;
    double ms = static_cast<double>(ticks.QuadPart / 10000);
    return std::floor(ms / MsPerDay) - DaysFrom1601 + std::fmod(ms, MsPerDay) / MsPerDay;
}

SYSTEMTIME DateTimeToSystemTime(TDateTime value) {
    double ms = std::round((value + DaysFrom1601) * MsPerDay);
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<unsigned long long>(ms) * 10000;
    FILETIME ft;
    ft.dwLowDateTime = ticks.LowPart;
    ft.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME st;
    FileTimeToSystemTime(&ft, &st);
    return st;
}

TDateTime Now() {
    return Clock.load()();
}

TClockFunc SetClock(TClockFunc clock) {
    return Clock.exchange(clock ? clock : &SystemClock);
}
