// Runs with a time zone five hours west of UTC (see CMakeLists.txt), so that a bias added the
// wrong way round, or not at all, is seen.
#include "core/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double SecondsPerDay = 86400.0;

TDateTime LocalTimeNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return SystemTimeToDateTime(st);
}

TDateTime UtcNow() {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return SystemTimeToDateTime(st);
}

TEST(Clock, NowIsTheLocalTimeOfTheSystem) {
    ASSERT_GE(std::fabs(LocalTimeNow() - UtcNow()) * SecondsPerDay, 3 * 3600.0)
        << "the test needs a time zone away from UTC";
    for (int read = 0; read < 3; ++read) {
        EXPECT_NEAR(Now(), LocalTimeNow(), 2 / SecondsPerDay) << "read " << read;
        RefreshLocalTimeBias();
    }
}

} // namespace
