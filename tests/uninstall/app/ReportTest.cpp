// The report file of the real uninstall.exe under Wine ("/report"): what it says of each item
// of the script, judged against the installation before and after the run, against the quiet
// run's summary lines and against a preview of the same installation. Every report a test
// reads is kept in "reports" beside the test program, where the schema test checks it.
#include "core/Text.h"
#include "support/EnvSupport.h"
#include "support/RegistrySupport.h"
#include "support/TestSupport.h"
#include "InstalledProgram.h"
#include "ReportFile.h"
#include "SuiteInstallation.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const wchar_t* const ReportKey = L"Software\\Talveno\\ReportTest";

// The lines of a program's output, without their line ends.
std::vector<std::string> Lines(const std::string& Output) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < Output.size()) {
        size_t end = Output.find('\n', start);
        if (end == std::string::npos)
            end = Output.size();
        std::string line = Output.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// An installation of the report script's suite: a program folder with a part its exclusion
// keeps, a data folder with logs, and a registry key.
class ReportRun : public testing::Test {
protected:
    void SetUp() override {
        test::WriteRegString(HKEY_LOCAL_MACHINE, ReportKey, L"Value", L"x");
        Make(L"LP\\bin\\app.exe");
        Make(L"LP\\keep\\data.db");
        Make(L"LD\\a.log");
        Make(L"LD\\sub\\b.log");
        Make(L"LD\\notes.txt");
    }

    std::wstring Make(const std::wstring& Relative) { return Suite.Make(Relative); }
    bool Exists(const std::wstring& Relative) { return Suite.Exists(Relative); }
    std::string Path(const std::wstring& Relative) { return WideToUtf8(Suite.Path() + Relative); }
    // A running program holds a file of the data folder open.
    std::wstring HoldAFile() { return Suite.HoldAFile(L"LD\\locked\\held.dll"); }

    TSuiteInstallation Suite;
};

struct TExpectedItem {
    const char* Group;
    const char* Step;
    std::wstring Item; // relative to the installation when it starts with no drive
    const char* Action;
    const char* Reason;
    const char* AfterRun;
};

// Each element of the report script in order, as the run with a held file must report it, and
// what the machine must show of it afterwards.
TEST_F(ReportRun, EachItemSaysWhatBecameOfItAsTheMachineShows) {
    const std::wstring held = HoldAFile();
    TInstalledProgram program(L"e2e_report.exe");
    const std::wstring reportFile = Suite.Path() + L"out\\report.json";
    const test::TRunResult run =
        test::Run(program.Command(L"/quiet /report:\"" + reportFile + L"\""), {}, 300000);
    EXPECT_EQ(run.ExitCode, 3010u) << run.Output;
    json report = ReadReport(reportFile, "run-with-a-held-file");

    const std::string ld = Path(L"LD"), lp = Path(L"LP");
    const std::vector<TExpectedItem> expected = {
        {"Processes", "Process", L"e2e_report_not_running.exe", "kept", "not found",
         "not looked at"},
        {"Files", "File", Suite.Path() + L"LD\\*.log", "removed", nullptr, "gone"},
        {"Folders", "Folder", Suite.Path() + L"LP", "kept", "excluded", "still there"},
        {"Folders", "Folder", Suite.Path() + L"LD", "scheduled", nullptr, "still there"},
        {"Folders", "Folder", Suite.Path() + L"LD\\never-made", "kept", "not found",
         "not looked at"},
        {"Registry", "Key", L"HKLM\\Software\\Talveno\\ReportTest", "removed", nullptr, "gone"},
        {"Registry", "Key", L"HKLM\\Software\\Talveno\\NeverMade", "kept", "not found",
         "not looked at"},
    };
    json& items = report["items"];
    ASSERT_EQ(items.size(), expected.size()) << report.dump(2);
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& want = expected[i];
        json& item = items[i];
        SCOPED_TRACE(item.dump());
        EXPECT_EQ(item["group"], want.Group);
        EXPECT_EQ(item["step"], want.Step);
        EXPECT_EQ(item["item"], WideToUtf8(want.Item));
        EXPECT_EQ(item["action"], want.Action);
        EXPECT_EQ(item.value("reason", ""), want.Reason ? want.Reason : "");
        EXPECT_EQ(item["afterRun"], want.AfterRun);
        EXPECT_TRUE(item["errors"].empty());
    }
    // What the report says, the machine shows.
    EXPECT_EQ(items[1]["entries"], json::array({ld + "\\a.log", ld + "\\sub\\b.log"}));
    EXPECT_FALSE(Exists(L"LD\\a.log"));
    EXPECT_FALSE(Exists(L"LD\\sub\\b.log"));
    EXPECT_FALSE(Exists(L"LP\\bin\\app.exe"));
    EXPECT_TRUE(Exists(L"LP\\keep\\data.db"));
    EXPECT_EQ(items[2]["excluded"], json::array({lp + "\\keep\\"}));
    EXPECT_FALSE(test::RegKeyExists(HKEY_LOCAL_MACHINE, ReportKey));
    EXPECT_TRUE(test::FileExists(held));
    EXPECT_TRUE(Pending(held));
    EXPECT_EQ(items[2]["stillThereBecause"], "excluded");
    EXPECT_EQ(items[3]["stillThereBecause"], "waits for the restart");
    json& scheduled = items[3]["scheduled"];
    EXPECT_NE(std::find(scheduled.begin(), scheduled.end(), WideToUtf8(held)), scheduled.end())
        << scheduled.dump();

    // The run itself.
    EXPECT_EQ(report["program"], "uninstall");
    EXPECT_EQ(report["version"], "4.2.0.0");
    EXPECT_EQ(report["exitCode"], 3010);
    EXPECT_EQ(report["preview"], false);
    EXPECT_EQ(report["switches"], json::array({"/quiet", "/report:" + WideToUtf8(reportFile)}));
    EXPECT_FALSE(report.contains("error"));
    EXPECT_LE(report["started"].get<std::string>(), report["ended"].get<std::string>());

    // Standard output ends with the groups' summary lines, the report's counts.
    std::vector<std::string> summaries;
    for (const auto& group : report["groups"])
        summaries.push_back(group["summary"]);
    EXPECT_EQ(summaries,
              (std::vector<std::string>{
                  "Processes: 1 kept (not found)",
                  "Files: 1 removed",
                  "Folders: 1 kept (excluded), 1 waits for the restart, 1 kept (not found)",
                  "Registry: 1 removed, 1 kept (not found)",
              }));
    std::vector<std::string> lines = Lines(run.Output);
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    ASSERT_GE(lines.size(), summaries.size()) << run.Output;
    EXPECT_EQ(std::vector<std::string>(lines.end() - summaries.size(), lines.end()), summaries)
        << run.Output;
}

// A preview's report names the same items, in the same order, with what would be done; it
// leaves the installation and writes nothing for the restart. The run after it names the same
// report file: its report replaces the preview's there.
TEST_F(ReportRun, APreviewReportsTheItemsOfTheRunWithWhatWouldBeDone) {
    TInstalledProgram program(L"e2e_report.exe");
    const std::wstring reportFile = Suite.Path() + L"report.json";
    const test::TRunResult preview =
        test::Run(program.Command(L"/quiet /preview /report \"" + reportFile + L"\""), {}, 300000);
    EXPECT_EQ(preview.ExitCode, 0u) << preview.Output;
    EXPECT_TRUE(Exists(L"LD\\a.log"));
    EXPECT_TRUE(test::RegKeyExists(HKEY_LOCAL_MACHINE, ReportKey));
    json would = ReadReport(reportFile, "preview");

    // The program folder the exclusion keeps cannot go now: it waits for the restart.
    const test::TRunResult run =
        test::Run(program.Command(L"/quiet /report:\"" + reportFile + L"\""), {}, 300000);
    EXPECT_EQ(run.ExitCode, 3010u) << run.Output;
    json did = ReadReport(reportFile, "run");
    EXPECT_EQ(did["preview"], false) << "the preview's report was left at the path";
    EXPECT_EQ(did["exitCode"], 3010);

    EXPECT_EQ(would["preview"], true);
    ASSERT_EQ(would["items"].size(), did["items"].size());
    for (size_t i = 0; i < did["items"].size(); ++i) {
        json &w = would["items"][i], &d = did["items"][i];
        SCOPED_TRACE(w.dump() + "\n" + d.dump());
        EXPECT_EQ(w["group"], d["group"]);
        EXPECT_EQ(w["step"], d["step"]);
        EXPECT_EQ(w["item"], d["item"]);
        EXPECT_EQ(w["afterRun"], "not looked at");
        const std::string action = d["action"];
        EXPECT_EQ(w["action"], action == "removed" ? "would-remove" : action);
        EXPECT_EQ(w.value("reason", ""), d.value("reason", ""));
    }
}

// A run that an error ends still leaves its report: what ran before the error, and the error.
// A report that cannot be written is known before anything is removed.
TEST_F(ReportRun, TheReportOutlivesAnErrorAndIsCheckedBeforeTheRun) {
    TInstalledProgram program(L"e2e_report_ends.exe");
    const std::wstring reportFile = Suite.Path() + L"ended.json";
    test::TRunResult run =
        test::Run(program.Command(L"/quiet /report:\"" + reportFile + L"\""), {}, 300000);
    EXPECT_EQ(run.ExitCode, 1603u) << run.Output;
    json ended = ReadReport(reportFile, "ended-by-an-error");
    EXPECT_EQ(ended["exitCode"], 1603);
    EXPECT_NE(ended.value("error", "").find("Unknown node \"Uninstallables\""), std::string::npos)
        << ended.dump(2);
    ASSERT_EQ(ended["items"].size(), 1u) << ended.dump(2);
    EXPECT_EQ(ended["items"][0]["action"], "removed");
    EXPECT_FALSE(Exists(L"LD\\a.log"));
    EXPECT_TRUE(Exists(L"LP\\bin\\app.exe")) << "the group after the error ran";

    const std::wstring readOnly = Suite.Path() + L"readonly.json";
    test::WriteTextFile(readOnly, "kept");
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    for (const std::wstring& bad : {readOnly, std::wstring(L"Q:\\reports\\run.json")}) {
        SCOPED_TRACE(WideToUtf8(bad));
        run = test::Run(program.Command(L"/quiet /report:\"" + bad + L"\""), {}, 300000);
        EXPECT_EQ(run.ExitCode, 1603u) << run.Output;
        EXPECT_NE(
            run.Output.find("The report file \"" + WideToUtf8(bad) + "\" cannot be written ("),
            std::string::npos)
            << run.Output;
        EXPECT_TRUE(Exists(L"LP\\bin\\app.exe"));
    }
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::ReadTextFile(readOnly), "kept");
}

} // namespace
