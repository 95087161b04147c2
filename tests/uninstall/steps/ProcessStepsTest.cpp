// The Process step against real processes: copies of a helper program started under the
// suite's names.
#include "core/Text.h"
#include "support/ProcessSupport.h"
#include "sys/processes/ProcessLookup.h"
#include "uninstall/steps/StepFixture.h"

#include <chrono>

namespace {

std::wstring ProcessStep(const std::wstring& Name) {
    return L"<Process Name=\"" + Name + L"\"/>";
}

// Every copy of a name goes, whatever the letter case of the script; a name that runs nowhere
// is no error.
TEST_F(StepTest, OneProcessElementEndsEveryCopyOfItsName) {
    const std::wstring id = test::UniqueName(L"");
    test::TProgramCopies portal(L"NorvaPortal-" + id + L".exe");
    test::TProgramCopies relay(L"NorvaRelay-" + id + L".exe");
    for (int i = 0; i < 3; ++i)
        portal.Start();
    relay.Start();
    relay.Start();

    RunSteps(L"<Processes>" + ProcessStep(portal.Name()) +
             ProcessStep(L"norvarelay-" + AsciiLower(id) + L".EXE") +
             ProcessStep(L"Missing-" + id + L".exe") + L"</Processes>");

    EXPECT_TRUE(portal.AllEnded(5000));
    EXPECT_TRUE(relay.AllEnded(5000));
    EXPECT_TRUE(View.Errors.empty());
    EXPECT_EQ(std::count(Trace.Lines.begin(), Trace.Lines.end(), L"TMainForm|UninstallProcess()"),
              3);
    EXPECT_NE(std::find(View.Journal.begin(), View.Journal.end(), L"2:  " + portal.Name()),
              View.Journal.end());
}

// A failing element shows its error line and the next ones still run; one that names a process
// this program may not open finds nothing and does not wait for it.
TEST_F(StepTest, AFailingProcessElementLetsTheOthersRun) {
    const std::wstring id = test::UniqueName(L"");
    test::TProgramCopies guarded(L"Guarded-" + id + L".exe");
    test::TProgramCopies later(L"Later-" + id + L".exe");
    DWORD guardedId = guarded.Start(L"protect 120000");
    later.Start();
    ASSERT_TRUE(test::WaitUntilProtected(guardedId, 5000));

    RunSteps(L"<Processes>" + ProcessStep(guarded.Name()) + L"<Process/>" +
             ProcessStep(later.Name()) + L"</Processes>");

    EXPECT_EQ(View.Errors,
              std::vector<std::wstring>{L"Uninstall Process failed (Could not convert "
                                        L"variant of type (Null) into type (OleStr))"});
    EXPECT_TRUE(later.AllEnded(5000));
    EXPECT_EQ(guarded.Running(), 1u);
}

// Waits up to 60 s until Count processes of Name can be found.
bool WaitFindable(const std::wstring& Name, size_t Count) {
    for (int i = 0; i < 1200 && FindProcessIds(Name).size() < Count; ++i)
        Sleep(50);
    return FindProcessIds(Name).size() >= Count;
}

// Ends whatever still runs under Name once the test is over.
void EndAll(const std::wstring& Name) {
    TKernelHandle found;
    for (int i = 0; i < 50 && FindProcess(Name, found); ++i) {
        Process32Stop(found.Get());
        EXPECT_TRUE(WaitForProcessEnd(found.Get(), 5000));
    }
}

std::wstring ThisThread() {
    return std::to_wstring(GetCurrentThreadId());
}

// A program that a guardian keeps running, starting it again whenever it ends, ends the step with
// an error line some seconds after the last copy from before the step went, instead of hanging
// the window; the next element still runs. The guardian holds this thread while its replacements
// start, so that it always wins, however slowly programs start on the machine.
TEST_F(StepTest, AProcessThatKeepsComingBackEndsTheStepWithAnError) {
    const std::wstring id = test::UniqueName(L"");
    test::TProgramCopies stubborn(L"Stubborn-" + id + L".exe");
    test::TProgramCopies guardian(L"Guardian-" + id + L".exe");
    test::TProgramCopies after(L"After-" + id + L".exe");
    guardian.Start(L"guard \"" + stubborn.Path() + L"\" 120000 4 " + ThisThread());
    after.Start();
    ASSERT_TRUE(WaitFindable(stubborn.Name(), 4)) << "the guardian did not start its program";

    auto start = std::chrono::steady_clock::now();
    RunSteps(L"<Processes>" + ProcessStep(stubborn.Name()) + ProcessStep(after.Name()) +
             L"</Processes>");
    auto took = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(View.Errors, std::vector<std::wstring>{L"Uninstall Process failed (Process \"" +
                                                     stubborn.Name() + L"\" is still running)"});
    EXPECT_GE(took, std::chrono::seconds(5));
    EXPECT_LT(took, std::chrono::seconds(90)) << "the step waited for the guardian to give up";
    EXPECT_TRUE(after.AllEnded(5000));

    // The guardian goes first, then what it started last.
    TerminateProcess(guardian.Handle(0), 1);
    ASSERT_TRUE(guardian.AllEnded(5000));
    EndAll(stubborn.Name());
}

// The few seconds count from the last copy that went, not from the start of the element: an
// element that ends many copies, each promptly, takes as long as it needs and gives no error.
// After more than five seconds of copies going one by one, a copy started since the element
// began comes back; a copy from before went a moment ago, so the step ends the new one too,
// with no error.
TEST_F(StepTest, ManyCopiesEndedOneByOneAreNoStuckProcess) {
    const std::wstring id = test::UniqueName(L"");
    test::TProgramCopies many(L"Many-" + id + L".exe");
    test::TProgramCopies starter(L"Starter-" + id + L".exe");
    const size_t count = 7;
    starter.Start(L"pause \"" + many.Path() + L"\" " + std::to_wstring(count) + L" 1000 " +
                  ThisThread() + L" 1");
    ASSERT_TRUE(WaitFindable(many.Name(), count)) << "the copies did not start";

    auto start = std::chrono::steady_clock::now();
    RunSteps(L"<Processes>" + ProcessStep(many.Name()) + L"</Processes>");
    auto took = std::chrono::steady_clock::now() - start;

    EXPECT_TRUE(View.Errors.empty()) << WideToUtf8(View.Errors.front());
    EXPECT_TRUE(FindProcessIds(many.Name()).empty()) << "the copy that came back still runs";
    ASSERT_GT(took, std::chrono::seconds(5)) << "the copies went too fast to show the rule";
    ASSERT_TRUE(starter.AllEnded(10000));
    DWORD code = 1;
    GetExitCodeProcess(starter.Handle(0), &code);
    EXPECT_EQ(code, 0u) << "no copy came back";
    EndAll(many.Name());
}

} // namespace
