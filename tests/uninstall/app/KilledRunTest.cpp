// The trace is written line by line as the run goes: a run killed halfway through a tree leaves
// a trace that ends with a whole line, and that line names the last entry it deleted.
#include "core/Text.h"
#include "support/EnvSupport.h"
#include "support/TestSupport.h"
#include "InstalledProgram.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace {

const std::wstring Tree = L"C:\\KilledRunTree";
constexpr int Folders = 40, FilesPerFolder = 100;

std::set<std::wstring> MakeTree() {
    std::set<std::wstring> files;
    CreateDirectoryW(Tree.c_str(), nullptr);
    for (int f = 0; f < Folders; ++f) {
        const std::wstring folder = Tree + L"\\d" + std::to_wstring(f);
        CreateDirectoryW(folder.c_str(), nullptr);
        for (int i = 0; i < FilesPerFolder; ++i) {
            const std::wstring file = folder + L"\\f" + std::to_wstring(i) + L".dat";
            test::WriteTextFile(file, "x");
            files.insert(file);
        }
    }
    return files;
}

// The path a "file ... deleted" line names, or "".
std::wstring DeletedFile(const std::string& Line) {
    const std::string head = "|    file \"", tail = "\" deleted|";
    const size_t start = Line.find(head);
    const size_t end = Line.rfind(tail);
    if (start == std::string::npos || end == std::string::npos || end < start + head.size())
        return {};
    return AnsiToWide(Line.substr(start + head.size(), end - start - head.size()));
}

TEST(KilledRun, TheTraceEndsWithAWholeLineNamingTheLastEntryDeleted) {
    const std::set<std::wstring> files = MakeTree();
    TInstalledProgram program(L"e2e_killed.exe");
    {
        test::TRunningProcess run(program.Command(L"/quiet /trace"));
        // Killed once it has traced some hundred deletions, long before the tree is gone.
        for (int wait = 0; wait < 3000; ++wait) {
            const std::wstring log = program.LogFile();
            if (!log.empty() && test::ReadTextFile(log).size() > 30000)
                break;
            Sleep(5);
        }
        ASSERT_EQ(WaitForSingleObject(run.Handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
            << "the run ended before it was killed";
        TerminateProcess(run.Handle(), 9);
        WaitForSingleObject(run.Handle(), 10000);
    }
    const std::string trace = test::ReadTextFile(program.LogFile());
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.substr(trace.size() - 3), "|\r\n") << "the trace ends in the middle of a line";

    std::istringstream lines(trace);
    std::string line, last;
    std::set<std::wstring> traced;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::wstring file = DeletedFile(line);
        if (!file.empty())
            traced.insert(file);
        last = line;
    }
    EXPECT_EQ(last.substr(0, 2), "I|") << last;
    ASSERT_GT(traced.size(), 100u);
    ASSERT_LT(traced.size(), files.size());
    size_t gone = 0;
    for (const auto& file : files) {
        const bool exists = test::FileExists(file);
        gone += exists ? 0 : 1;
        if (traced.count(file)) {
            EXPECT_FALSE(exists) << WideToUtf8(file) << " is traced as deleted but is there";
        }
    }
    // Every deleted file but the last has its line: the run may have been killed between a
    // deletion and its line.
    EXPECT_GE(gone, traced.size());
    EXPECT_LE(gone, traced.size() + 1);

    test::Run(L"cmd /c rd /s /q \"" + Tree + L"\"", {}, 60000);
}

} // namespace
