#include "core/DateTime.h"

#include <atomic>
#include <cstdint>
#include <cmath>

namespace {

constexpr double MsPerDay = 86400000.0;

// Days from 1 January 1601 (FILETIME's origin) to 30 December 1899.
constexpr double DaysFrom1601 = 109205.0;

constexpr long long TicksPerMinute = 600000000;

// The local-time bias in minutes and the UTC minute it was read in, in one word so that
// every thread sees the two together. The bias changes on a whole minute (a change of daylight
// saving time) or when the time zone is changed (RefreshLocalTimeBias); reading it costs more
// than reading the clock.
std::atomic<long long> BiasOfMinute{-1};

long long ReadBias(long long utcTicks) {
    ULARGE_INTEGER utc;
    utc.QuadPart = static_cast<ULONGLONG>(utcTicks);
    FILETIME utcTime{utc.LowPart, utc.HighPart}, localTime;
    if (!FileTimeToLocalFileTime(&utcTime, &localTime))
        return 0;
    ULARGE_INTEGER local;
    local.LowPart = localTime.dwLowDateTime;
    local.HighPart = localTime.dwHighDateTime;
    return (static_cast<long long>(local.QuadPart) - utcTicks) / TicksPerMinute;
}

// FILETIME ticks of local time as a TDateTime, to the millisecond as SystemTimeToDateTime.
TDateTime TicksToDateTime(unsigned long long ticks) {
    double ms = static_cast<double>(ticks / 10000);
    return std::floor(ms / MsPerDay) - DaysFrom1601 + std::fmod(ms, MsPerDay) / MsPerDay;
}

TDateTime SystemClock() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER utc;
    utc.LowPart = now.dwLowDateTime;
    utc.HighPart = now.dwHighDateTime;
    const long long ticks = static_cast<long long>(utc.QuadPart);
    const long long minute = ticks / TicksPerMinute;
    // Bias in the low 16 bits (at most a day either way), the minute above them.
    long long cached = BiasOfMinute.load(std::memory_order_relaxed);
    long long bias;
    if (cached >= 0 && (cached >> 16) == minute) {
        bias = static_cast<int16_t>(cached & 0xFFFF);
    } else {
        bias = ReadBias(ticks);
        BiasOfMinute.store((minute << 16) | (bias & 0xFFFF), std::memory_order_relaxed);
    }
    return TicksToDateTime(static_cast<unsigned long long>(ticks + bias * TicksPerMinute));
}

std::atomic<TClockFunc> Clock{&SystemClock};

} // namespace

TDateTime SystemTimeToDateTime(const SYSTEMTIME& time) {
    FILETIME ft;
    SystemTimeToFileTime(&time, &ft);
    ULARGE_INTEGER ticks;
    ticks.LowPart = ft.dwLowDateTime;
    ticks.HighPart = ft.dwHighDateTime;
    return TicksToDateTime(ticks.QuadPart);
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

void RefreshLocalTimeBias() {
    BiasOfMinute.store(-1, std::memory_order_relaxed);
}

TClockFunc SetClock(TClockFunc clock) {
    return Clock.exchange(clock ? clock : &SystemClock);
}
