#include "core/Exception.h"
#include "core/SystemError.h"
#include "core/Text.h"
#include "support/EnvSupport.h"
#include "support/EnvTraceSupport.h"
#include "support/TestSupport.h"
#include "sys/processes/Computer.h"
#include "sys/processes/LaunchAndWait.h"
#include "sys/processes/ProgramSearch.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Both command runners, run through the same cases.
struct TRunner {
    const char* Name;
    bool Traced;
    std::function<int(const std::wstring&, DWORD, const std::wstring&)> Launch;
};

const TRunner Runners[] = {
    {"nrvProcs", true,
     [](const std::wstring& cmd, DWORD timeout, const std::wstring& path) {
         return LaunchAndWait(cmd, timeout, SW_HIDE, false, path, ProvenProgram(cmd));
     }},
    {"TComputer", false,
     [](const std::wstring& cmd, DWORD timeout, const std::wstring& path) {
         return TComputer::LaunchAndWait(cmd, timeout, SW_HIDE, path, ProvenProgram(cmd));
     }},
};

std::wstring Child() {
    return L"\"" + test::HelperPath(L"procs_child.exe") + L"\"";
}

std::wstring ReadWide(const std::wstring& file) {
    std::string bytes = test::ReadTextFile(file);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

// An ended program's process object lives on only while someone holds a handle to it.
bool ProcessObjectGone(DWORD ProcessId) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, ProcessId);
        if (!process)
            return true;
        CloseHandle(process);
        Sleep(100);
    }
    return false;
}

class Launch : public test::TTracedTest {
protected:
    test::TTempFolder Folder;
};

TEST_F(Launch, ReturnsTheExitCodeAsASignedNumber) {
    for (const TRunner& runner : Runners) {
        EXPECT_EQ(runner.Launch(Child() + L" exit 3", INFINITE, L""), 3) << runner.Name;
        EXPECT_EQ(runner.Launch(Child() + L" exit 4294967295", 10000, L""), -1) << runner.Name;
    }
    EXPECT_TRUE(ErrorLines().empty());
}

// A suspended start is resumed before the wait, so the program runs to its end.
TEST_F(Launch, ASuspendedStartIsResumed) {
    const std::wstring cmd = Child() + L" exit 7";
    EXPECT_EQ(LaunchAndWait(cmd, 10000, SW_HIDE, true, L"", ProvenProgram(cmd)), 7);
}

// A missing program is proven by its folder: it fails at creation, with the system's text.
TEST_F(Launch, AMissingProgramFailsAtCreationWithTheSystemText) {
    std::wstring cmd = L"\"" + Folder.Path() + L"missing.exe\" /x";
    for (const TRunner& runner : Runners) {
        ClearTrace();
        try {
            runner.Launch(cmd, 10000, L"");
            ADD_FAILURE() << runner.Name << ": no exception";
        } catch (const Exception& e) {
            std::wstring start = L"LaunchAndWait \"" + cmd + L"\" failed (";
            EXPECT_EQ(e.Message().substr(0, start.size()), start) << runner.Name;
            std::wstring system = SystemErrorText(ERROR_FILE_NOT_FOUND);
            EXPECT_NE(e.Message().find(system), std::wstring::npos) << runner.Name;
            if (runner.Traced) {
                EXPECT_EQ(e.Message().substr(e.Message().size() - 6), L"(0x2))");
                EXPECT_EQ(ErrorLines(), (std::vector<test::TTraceLine>{
                                            {NXLL_ERROR, L"", L"DoException: " + e.Message()}}));
            } else {
                EXPECT_EQ(e.Message(), start + system + L")");
                EXPECT_TRUE(Trace().empty());
            }
        }
    }
}

// A program replaced after it was proven is not started: what runs is what was checked.
TEST_F(Launch, AProgramReplacedSinceItWasProvenIsNotStarted) {
    const std::wstring program = Folder.Path() + L"child.exe";
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"procs_child.exe").c_str(), program.c_str(), FALSE));
    const std::wstring cmd = L"\"" + program + L"\" exit 5";
    const FileSystem::TProvenPath proven = ProvenProgram(cmd);
    EXPECT_EQ(TComputer::LaunchAndWait(cmd, 10000, SW_HIDE, L"", proven), 5);
    // Moved aside, not deleted: a new file could get the freed number of the old one.
    ASSERT_TRUE(MoveFileW(program.c_str(), (program + L".old").c_str()));
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"procs_child.exe").c_str(), program.c_str(), FALSE));
    for (const TRunner& runner : Runners) {
        ClearTrace();
        try {
            if (runner.Traced)
                LaunchAndWait(cmd, 10000, SW_HIDE, false, L"", proven);
            else
                TComputer::LaunchAndWait(cmd, 10000, SW_HIDE, L"", proven);
            ADD_FAILURE() << runner.Name << ": the replaced program was started";
        } catch (const Exception& e) {
            EXPECT_NE(e.Message().find(L"names something else than when it was checked"),
                      std::wstring::npos)
                << WideToUtf8(e.Message());
        }
    }
}

// The command line reaches the program as wide text, unchanged, through both runners.
TEST_F(Launch, ACommandLineOutsideTheAnsiCodePageArrivesIntact) {
    for (const TRunner& runner : Runners) {
        std::wstring out = Folder.Path() + L"cmdline-" + Utf8ToWide(runner.Name) + L".bin";
        std::wstring cmd = Child() + L" cmdline \"" + out + L"\" \u0429\u4E2D\u00E9 C:\\\u0416\\x";
        ASSERT_EQ(runner.Launch(cmd, 10000, L""), 0) << runner.Name;
        EXPECT_EQ(ReadWide(out), cmd) << runner.Name;
    }
}

TEST_F(Launch, RunsInTheGivenFolderAndFailsForAMissingOne) {
    for (const TRunner& runner : Runners) {
        std::wstring out = Folder.Path() + L"cwd.bin";
        ASSERT_EQ(runner.Launch(Child() + L" cwd \"" + out + L"\"", 10000, Folder.Path()), 0);
        std::wstring folder = ReadWide(out);
        EXPECT_EQ(folder + L"\\", Folder.Path()) << runner.Name;
        EXPECT_THROW(runner.Launch(Child() + L" exit 0", 10000, Folder.Path() + L"nowhere"),
                     Exception)
            << runner.Name;
    }
}

// A timed-out program goes on running; the runner lets go of its handles all the same.
TEST_F(Launch, TimeoutLeavesTheProgramRunningAndReleasesItsHandles) {
    for (const TRunner& runner : Runners) {
        std::wstring done = Folder.Path() + L"done-" + Utf8ToWide(runner.Name);
        DWORD start = GetTickCount();
        try {
            runner.Launch(Child() + L" sleep 15000 \"" + done + L"\"", 10000, L"");
            ADD_FAILURE() << runner.Name << ": no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), L"LaunchAndWait timeout");
        }
        DWORD waited = GetTickCount() - start;
        EXPECT_GE(waited, 9900u);
        EXPECT_LT(waited, 14000u);
        EXPECT_FALSE(test::FileExists(done));
        ASSERT_TRUE(test::WaitForFile(done, 15000)) << runner.Name << ": the program was ended";
        Sleep(200); // the file is written just before the program ends
        EXPECT_TRUE(ProcessObjectGone(std::stoul(ReadWide(done)))) << runner.Name;
    }
    EXPECT_EQ(ErrorLines(), (std::vector<test::TTraceLine>{
                                {NXLL_ERROR, L"", L"DoException: LaunchAndWait timeout"}}));
}

} // namespace
