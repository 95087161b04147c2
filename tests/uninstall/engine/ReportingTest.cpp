#include "support/RunRecorder.h"
#include "support/ScriptSupport.h"
#include "sys/com/ComInit.h"
#include "uninstall/engine/Engine.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

class Reporting : public testing::Test {
protected:
    test::TTraceRecorder FTrace;
    test::TRecordingView FView;
    TUninstallEngine FEngine{FView};
};

TEST_F(Reporting, SetStatusShowsTracesAndPumps) {
    FEngine.SetStatus(1, L"Phase");
    FEngine.SetStatus(2, L"Item");
    FEngine.SetStatus(2, L"");
    FEngine.SetStatus(3, L"Nowhere");
    EXPECT_EQ(FView.Journal, (std::vector<std::wstring>{L"1:Phase", L"2:", L"P", L"2:Item", L"P",
                                                        L"2:", L"P", L"P"}));
    EXPECT_EQ(FTrace.Lines, (std::vector<std::wstring>{L"TMainForm|Phase", L"TMainForm|Item",
                                                       L"TMainForm|", L"TMainForm|Nowhere"}));
}

TEST_F(Reporting, DoErrorTracesAndAddsALine) {
    FEngine.DoError(L"Delete registry key \"HKLM\\x\" failed");
    EXPECT_EQ(FView.Errors, (std::vector<std::wstring>{L"Delete registry key \"HKLM\\x\" failed"}));
    EXPECT_EQ(FTrace.Lines, (std::vector<std::wstring>{
                                L"TMainForm|DoError(Delete registry key \"HKLM\\x\" failed)"}));
}

TEST_F(Reporting, DoErrorFmtFallsBackToTheFormatItself) {
    FEngine.DoErrorFmt(L"Uninstall Service failed (%s)", {L"gone"});
    FEngine.DoErrorFmt(L"UninstallShortcut \"%s\" \"%s\" failed (%s)", {L"C:\\x", L"*.lnk"});
    FEngine.DoErrorFmt(L"Count %d", {L"not a number"});
    FEngine.DoErrorFmt(L"100%% of %s", {L"files"});
    EXPECT_EQ(FView.Errors, (std::vector<std::wstring>{
                                L"Uninstall Service failed (gone)",
                                L"UninstallShortcut \"%s\" \"%s\" failed (%s)",
                                L"Count %d",
                                L"100% of files",
                            }));
}

// Every status update pauses for the script's delay: a run of an empty root makes two.
TEST(RunPace, StatusUpdatesPauseForTheDelay) {
    TComInit com;
    test::TRecordingView view;
    test::TScriptModule module("<NorvaUninstall Version=\"1.0\" Delay=\"150\"/>");
    TUninstallEngine engine(view, module.Handle());
    engine.LoadXml();
    auto start = std::chrono::steady_clock::now();
    engine.RunScript();
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(290));
    EXPECT_LT(elapsed, std::chrono::milliseconds(3000));
}

} // namespace
