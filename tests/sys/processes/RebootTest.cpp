#include "core/Exception.h"
#include "support/EnvTraceSupport.h"
#include "support/TestSupport.h"
#include "sys/processes/Reboot.h"

#include <gtest/gtest.h>

namespace {

using test::TTraceLine;

struct TRequest {
    int Calls = 0;
    UINT Flags = 0;
    DWORD Reason = 1;
} GRequest;

BOOL WINAPI RefuseRestart(UINT Flags, DWORD Reason) {
    ++GRequest.Calls;
    GRequest.Flags = Flags;
    GRequest.Reason = Reason;
    SetLastError(0x1ABC);
    return FALSE;
}

class Restart : public test::TTracedTest {
protected:
    void SetUp() override {
        TTracedTest::SetUp();
        GRequest = {};
        FPrevious = SetExitWindowsFunc(RefuseRestart);
    }
    void TearDown() override {
        SetExitWindowsFunc(FPrevious);
        TTracedTest::TearDown();
    }

private:
    TExitWindowsFunc FPrevious = nullptr;
};

TEST_F(Restart, ARefusedRequestIsWrappedAndTracedTwice) {
    try {
        Reboot();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"RebootOnNt() failed (ExitWindowsEx failed (0x1ABC))");
    }
    EXPECT_EQ(GRequest.Calls, 1);
    EXPECT_EQ(GRequest.Flags, static_cast<UINT>(EWX_REBOOT));
    EXPECT_EQ(GRequest.Reason, 0u);
    EXPECT_EQ(Trace(), (std::vector<TTraceLine>{
                           {NXLL_INFO, L"", L"Reboot()"},
                           {NXLL_INFO, L"", L"RebootOnNt..."},
                           {NXLL_ERROR, L"", L"DoException: ExitWindowsEx failed (0x1ABC)"},
                           {NXLL_ERROR, L"",
                            L"DoException: RebootOnNt() failed (ExitWindowsEx failed (0x1ABC))"},
                       }));
}

TEST_F(Restart, RestoringTheDefaultGivesBackTheReplacement) {
    EXPECT_EQ(SetExitWindowsFunc(nullptr), RefuseRestart);
    EXPECT_NE(SetExitWindowsFunc(RefuseRestart), RefuseRestart);
}

// The accepted request ends the process at once with exit code 0: nothing after it runs.
TEST(RestartAccepted, EndsTheProcessWithCodeZero) {
    test::TRunResult run = test::Run(L"\"" + test::HelperPath(L"procs_child.exe") + L"\" reboot");
    EXPECT_EQ(run.ExitCode, 0u);
    EXPECT_NE(run.Output.find("restart requested flags=2 reason=0"), std::string::npos);
    EXPECT_EQ(run.Output.find("Reboot"), std::string::npos) << run.Output;
}

} // namespace
