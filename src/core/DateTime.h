#pragma once
#include <windows.h>

// A point in time as a day count since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

TDateTime SystemTimeToDateTime(const SYSTEMTIME& time);
SYSTEMTIME DateTimeToSystemTime(TDateTime value);

// The local time. Goes through a replaceable clock so that tests can stand at a given
// time of day; the default reads the system clock.
using TClockFunc = TDateTime (*)();
TDateTime Now();
TClockFunc SetClock(TClockFunc clock); // nullptr restores the system clock; returns the old one
// The system clock reads the local-time bias once a minute; this reads it again at the next
// Now(), for a time zone that was just changed.
void RefreshLocalTimeBias();
