#include "sys/processes/SettingChange.h"

#include "support/SettingReceiver.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingChange, RunningProgramsHearOfTheEnvironment) {
    test::TSettingReceiver receiver;
    SettingChange::BroadcastEnvironment();
    EXPECT_EQ(receiver.Texts(), std::vector<std::wstring>{L"Environment"});
}

TEST(SettingChange, AHungWindowDoesNotHoldTheBroadcast) {
    test::TSettingReceiver hung(true);
    test::TSettingReceiver live;
    DWORD start = GetTickCount();
    SettingChange::BroadcastEnvironment();
    DWORD elapsed = GetTickCount() - start;
    EXPECT_LT(elapsed, SettingChange::EnvironmentTimeoutMs + 3000);
    EXPECT_EQ(live.Texts(), std::vector<std::wstring>{L"Environment"});
}

} // namespace
