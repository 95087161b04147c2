// Finding and ending real processes: copies of a helper program started under names of their
// own, and a 64-bit program.
#include "core/Exception.h"
#include "core/SystemError.h"
#include "core/Text.h"
#include "support/ProcessSupport.h"
#include "support/TestSupport.h"
#include "sys/processes/ProcessLookup.h"

#include <gtest/gtest.h>
#include <psapi.h>

namespace {

DWORD FoundId(const TKernelHandle& Handle) {
    return Handle ? GetProcessId(Handle.Get()) : 0;
}

// The whole file name, ASCII letter case ignored, nothing else.
TEST(ProcessLookup, MatchesTheWholeNameIgnoringAsciiCaseOnly) {
    const std::wstring id = test::UniqueName(L"");
    test::TProgramCopies plain(L"Example-" + id + L".exe");
    test::TProgramCopies accented(L"\u00C9clair-" + id + L".exe");
    DWORD plainId = plain.Start();
    DWORD accentedId = accented.Start();
    struct TCase {
        std::wstring Name;
        DWORD Expected;
    } cases[] = {
        {L"Example-" + id + L".exe", plainId},
        {L"example-" + AsciiLower(id) + L".EXE", plainId},
        {L"Example-" + id, 0},
        {L" Example-" + id + L".exe", 0},
        {L"Example-" + id + L".exe ", 0},
        {L"Exam*.exe", 0},
        {L"\u00C9CLAIR-" + id + L".EXE", accentedId},
        {L"\u00E9clair-" + id + L".exe", 0}, // not an ASCII letter
    };
    for (const TCase& c : cases) {
        TKernelHandle handle;
        EXPECT_EQ(FindProcess(c.Name, handle), c.Expected != 0) << WideToUtf8(c.Name);
        EXPECT_EQ(FoundId(handle), c.Expected) << WideToUtf8(c.Name);
        EXPECT_EQ(FindProcessBySnapshot(c.Name, handle), c.Expected != 0) << WideToUtf8(c.Name);
        EXPECT_EQ(FoundId(handle), c.Expected) << WideToUtf8(c.Name);
    }
}

// Each call finds the first instance in the system's order; once it is ended, the next.
TEST(ProcessLookup, FindsInstancesInListOrderAndEndsThem) {
    test::TProgramCopies copies(test::UniqueName(L"NorvaPortal-") + L".exe");
    DWORD first = copies.Start();
    DWORD second = copies.Start();
    if (test::ProcessListPosition(first) > test::ProcessListPosition(second))
        std::swap(first, second);
    const std::wstring name = copies.Name();

    TKernelHandle handle;
    ASSERT_TRUE(FindProcess(name, handle));
    EXPECT_EQ(FoundId(handle), first);
    EXPECT_TRUE(Process32Stop(handle.Get()));
    ASSERT_TRUE(WaitForProcessEnd(handle.Get(), 10000));
    DWORD exitCode = 0;
    GetExitCodeProcess(handle.Get(), &exitCode);
    EXPECT_EQ(exitCode, 0xFFFFFFFFu);
    // An ended process is not stopped again, and that is no error.
    EXPECT_FALSE(Process32Stop(handle.Get()));

    ASSERT_TRUE(FindProcess(name, handle));
    EXPECT_EQ(FoundId(handle), second);
    EXPECT_TRUE(Process32Stop(handle.Get()));
    EXPECT_TRUE(copies.AllEnded(10000));
    EXPECT_FALSE(FindProcess(name, handle));
    EXPECT_FALSE(handle);
}

// A handle that may not terminate its process: the refusal carries the system's text.
TEST(ProcessLookup, ARefusedTerminationRaisesWithTheSystemText) {
    test::TProgramCopies copies(test::UniqueName(L"NorvaDaemon-") + L".exe");
    DWORD id = copies.Start();
    TKernelHandle queryOnly(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id));
    ASSERT_TRUE(queryOnly);
    try {
        Process32Stop(queryOnly.Get());
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Process32Stop TerminateProcess failed (" +
                                   SystemErrorText(ERROR_ACCESS_DENIED) + L")");
    }
    EXPECT_EQ(copies.Running(), 1u);
}

// A process that refuses to be opened with full access is never found (so the step does not
// keep finding what it cannot end); the snapshot walk reports the match with no handle.
TEST(ProcessLookup, AProcessThatCannotBeOpenedIsSkipped) {
    test::TProgramCopies copies(test::UniqueName(L"Guarded-") + L".exe");
    DWORD id = copies.Start(L"protect 120000");
    const std::wstring name = copies.Name();
    ASSERT_TRUE(test::WaitUntilProtected(id, 5000)) << "the helper did not protect itself";

    TKernelHandle handle;
    EXPECT_FALSE(FindProcess(name, handle));
    EXPECT_TRUE(FindProcessBySnapshot(name, handle));
    EXPECT_FALSE(handle);
}

// The list is read whole: with more than 201 processes, one listed beyond the 201st is found.
TEST(ProcessLookup, FindsAProcessBeyondThe201st) {
    test::TProgramCopies fillers(test::UniqueName(L"Filler-") + L".exe");
    test::TProgramCopies target(test::UniqueName(L"NorvaNotifier-") + L".exe");
    // Started after the fillers, the target is listed after them.
    for (size_t count = test::ProcessCount(); count < 215; ++count)
        fillers.Start();
    DWORD id = target.Start();
    ASSERT_GT(test::ProcessListPosition(id), 201) << "the target is not listed late enough";

    TKernelHandle handle;
    ASSERT_TRUE(FindProcess(target.Name(), handle));
    EXPECT_EQ(FoundId(handle), id);
}

// A 32-bit program cannot read the modules of a 64-bit process: the image name finds it.
TEST(ProcessLookup, FindsAndEndsA64BitProcess) {
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    if (!wow64)
        GTEST_SKIP() << "not a 64-bit system";
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    // The 64-bit system folder as a 32-bit program sees it; find.exe waits on its input.
    test::TProgramCopies copies(test::UniqueName(L"Norva64-") + L".exe",
                                std::wstring(windows) + L"\\Sysnative\\find.exe");
    DWORD id = copies.Start(L"\"x\"");
    BOOL copyWow64 = TRUE;
    IsWow64Process(copies.Handle(0), &copyWow64);
    ASSERT_FALSE(copyWow64) << "the copy does not run as a 64-bit process";
    HMODULE module = nullptr;
    DWORD needed = 0;
    ASSERT_FALSE(EnumProcessModules(copies.Handle(0), &module, sizeof(module), &needed))
        << "the module of the 64-bit process can be read here";

    const std::wstring name = copies.Name();
    TKernelHandle handle;
    ASSERT_TRUE(FindProcess(AsciiUpper(name), handle));
    EXPECT_EQ(FoundId(handle), id);
    EXPECT_TRUE(Process32Stop(handle.Get()));
    EXPECT_TRUE(copies.AllEnded(10000));
}

} // namespace
