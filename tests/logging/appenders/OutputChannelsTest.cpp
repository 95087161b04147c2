#include "core/Text.h"
#include "logging/LoggingFixtures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>

namespace {

const std::wstring Writer = L"logging_writer.exe";

std::wstring WriterCommand(const std::wstring& arguments) {
    return L"\"" + test::HelperPath(Writer) + L"\" " + arguments;
}

// A folder for a command line: a trailing backslash would escape the closing quote.
std::wstring Quoted(std::wstring folder) {
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return L"\"" + folder + L"\"";
}

// What the writer printed and what Wine printed for it on the eventlog channel.
std::string EventLogOf(const std::wstring& arguments) {
    size_t before = test::CapturedStderr().size();
    auto result = test::Run(WriterCommand(arguments),
                            {L"WINEDEBUG=err+eventlog,warn+eventlog,trace+eventlog"});
    return test::CapturedStderr().substr(before) + result.Output;
}

// The line of the output holding text, or "".
std::string LineWith(const std::string& output, const std::string& text) {
    size_t at = output.find(text);
    if (at == std::string::npos)
        return {};
    size_t start = output.rfind('\n', at);
    start = start == std::string::npos ? 0 : start + 1;
    return output.substr(start, output.find('\n', at) - start);
}

TEST(EventLogOutput, ErrorsAndWarningsBecomeEntriesOfTheirType) {
    std::string out = EventLogOf(L"eventlog -");
    EXPECT_NE(LineWith(out, "|TProbe|boom|").find("err:eventlog"), std::string::npos) << out;
    EXPECT_NE(LineWith(out, "|TProbe|careful|").find("warn:eventlog"), std::string::npos) << out;
    EXPECT_EQ(out.find("fyi"), std::string::npos) << out;
    EXPECT_EQ(out.find("dbg"), std::string::npos) << out;
    EXPECT_NE(out.find("RegisterEventSourceW ((null),L\"NorvaLog\")"), std::string::npos) << out;
    EXPECT_NE(out.find("DeregisterEventSource"), std::string::npos) << out;
}

TEST(EventLogOutput, TheSourceCanBeRenamed) {
    std::string out = EventLogOf(L"eventlog H3Source");
    EXPECT_NE(LineWith(out, "|TProbe|boom|").find("err:eventlog"), std::string::npos) << out;
    EXPECT_NE(out.find("name=H3Source"), std::string::npos) << out;
    EXPECT_NE(out.find("RegisterEventSourceW ((null),L\"H3Source\")"), std::string::npos) << out;
    EXPECT_EQ(out.find("L\"NorvaLog\""), std::string::npos) << out;
}

TEST(TextFileOutput, AFolderThatCannotBeMadeIsReported) {
    test::TTempFolder folder;
    test::WriteTextFile(folder.Path() + L"blocker", "x");
    std::string out = EventLogOf(L"forcedir " + Quoted(folder.Path() + L"blocker\\sub"));
    EXPECT_NE(out.find("TNorvaAppenderTextFile.DoCheckOutputDir failed (ForceDirectories("),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("returned"), std::string::npos) << out;
}

TEST(TextFileOutput, NoneAsRefreshRateIsReportedAndWritesNothing) {
    test::TTempFolder folder;
    std::string out = EventLogOf(L"norate " + Quoted(folder.Path()));
    EXPECT_NE(LineWith(out, "TTextFile.CleanFiles failed (Invalid RefreshRate).").find("warn:"),
              std::string::npos)
        << out;
    EXPECT_NE(LineWith(out, "Write failed (Invalid RefreshRate)").find("err:"), std::string::npos)
        << out;
    EXPECT_NE(out.find("returned"), std::string::npos) << out;
    WIN32_FIND_DATAW data;
    TFindHandle find(FindFirstFileW((folder.Path() + L"*.log").c_str(), &data));
    EXPECT_FALSE(find);
}

// The open file stops taking writes (the pipe it is served by is closed): one warning, not
// one per line, and no attempt to open another file.
TEST(TextFileOutput, AFailingWriteIsReportedOnceAndTheFileStaysOpen) {
    std::string out = EventLogOf(L"brokenfile " + test::UniqueName(L"broken-"));
    std::string report = LineWith(out, "TTextFile.Write (");
    EXPECT_NE(report.find("warn:eventlog"), std::string::npos) << out;
    EXPECT_NE(report.find("broken-"), std::string::npos) << out;
    size_t reports = 0;
    for (size_t at = out.find("TTextFile.Write ("); at != std::string::npos;
         at = out.find("TTextFile.Write (", at + 1))
        ++reports;
    EXPECT_EQ(reports, 1u) << out;
    EXPECT_EQ(out.find("Cannot "), std::string::npos) << out;
    EXPECT_NE(out.find("returned"), std::string::npos) << out;
}

std::string Today() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    char text[16];
    snprintf(text, sizeof text, "%04u%02u%02u", st.wYear, st.wMonth, st.wDay);
    return text;
}

// Two runs of a real program on the same day: the one that holds the day's file open keeps
// it, the other writes the next name; a debug monitor sees both runs' lines as they go.
TEST(StandardAppenders, TwoProcessesShareTheDayAndTheDebugMonitor) {
    test::TDebugMonitor monitor;
    ASSERT_TRUE(monitor.Ready());
    test::TTempFolder folder;
    std::wstring holdName = test::UniqueName(L"hold-");
    TKernelHandle hold(CreateEventW(nullptr, TRUE, FALSE, holdName.c_str()));

    std::wstring command = WriterCommand(L"startup " + Quoted(folder.Path()) + L" " + holdName);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &si, &pi));
    TKernelHandle first(pi.hProcess), firstThread(pi.hThread);

    const std::wstring base = folder.Path() + Writer + L"_" + AnsiToWide(Today());
    auto firstWritten = [&base] {
        return test::FileExists(base + L".log") &&
               test::ReadTextFile(base + L".log").find("UninstallFolder") != std::string::npos;
    };
    for (int i = 0; i < 300 && !firstWritten(); ++i)
        Sleep(50);
    test::TRunResult second = test::Run(WriterCommand(L"startup " + Quoted(folder.Path())));
    SetEvent(hold.Get());
    ASSERT_EQ(WaitForSingleObject(first.Get(), 30000), WAIT_OBJECT_0);
    DWORD firstExit = 1;
    GetExitCodeProcess(first.Get(), &firstExit);
    EXPECT_EQ(firstExit, 0u);
    EXPECT_EQ(second.ExitCode, 0u) << second.Output;

    const std::regex file(
        "logging_writer\\.exe\\|4\\.2\\.0\\.0\\|\r\n"
        "I\\|\\d\\d?:\\d\\d:\\d\\d( [AP]M)?\\|\\|Trace system initialized\\.\\|\r\n"
        "I\\|\\d\\d?:\\d\\d:\\d\\d( [AP]M)?\\|TMainForm\\|UninstallFolder\\(\\)\\|\r\n");
    std::string firstText = test::ReadTextFile(base + L".log");
    std::string secondText = test::ReadTextFile(base + L"_1.log");
    EXPECT_TRUE(std::regex_match(firstText, file)) << firstText;
    EXPECT_TRUE(std::regex_match(secondText, file)) << secondText;

    const std::regex line("I\\|[^|]+\\|\\d+\\|TMainForm\\|UninstallFolder\\(\\)\\|");
    std::map<DWORD, int> linesPerProcess;
    for (const auto& e : monitor.Entries(4))
        if (std::regex_match(e.Text, line))
            ++linesPerProcess[e.ProcessId];
    EXPECT_EQ(linesPerProcess[pi.dwProcessId], 1);
    EXPECT_EQ(linesPerProcess.size(), 2u);
}

} // namespace
