#include "core/Exception.h"
#include "core/Text.h"
#include "support/RunRecorder.h"
#include "support/ScriptSupport.h"
#include "sys/com/ComInit.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/ScriptAssert.h"
#include "uninstall/script/ScriptAttributes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

int FolderCheckLine = 0;

// Stands in for some step families, keeping their contracts: Process catches its errors,
// AppPath catches nothing, Folder checks the child's name first. Every call is written to the
// view's journal.
class TProbeEngine : public TUninstallEngine {
public:
    explicit TProbeEngine(test::TRecordingView& View, HMODULE Module)
        : TUninstallEngine(View, Module), FJournal(View.Journal) {}

    void UninstallProcess(const TXmlNode& Node) override {
        try {
            std::wstring name = ScriptAttr::RequiredText(Node, L"Name");
            FJournal.push_back(L"Process " + name);
            if (name == L"bad.exe")
                throw Exception(L"cannot stop bad.exe");
        } catch (const std::exception& e) {
            DoErrorFmt(L"Uninstall Process failed (%s)", {ExceptionMessage(e)});
        }
    }

    void UninstallAppPathValue(const TXmlNode& Node) override {
        FJournal.push_back(L"Value " + ScriptAttr::RequiredText(Node, L"Mask"));
    }

    void UninstallFolder(const TXmlNode& Node) override {
        FolderCheckLine = __LINE__ + 1;
        AssertNodeName(Node, L"Folder");
        FJournal.push_back(L"Folder " + ScriptAttr::RequiredText(Node, L"Path"));
    }

    void UninstallProfiles(const TXmlNode& Group) override {
        FJournal.push_back(L"Profiles " + std::to_wstring(Group.ChildCount()));
    }

private:
    std::vector<std::wstring>& FJournal;
};

std::string Script(const std::string& Body) {
    return "\xEF\xBB\xBF<NorvaUninstall Version=\"1.0\">" + Body + "</NorvaUninstall>";
}

class RunScript : public testing::Test {
protected:
    // Loads and runs the script; the message of the error that ended the run, "" for none.
    std::wstring Run(const std::string& Body) {
        test::TScriptModule module(Script(Body));
        TProbeEngine engine(FView, module.Handle());
        engine.LoadXml();
        FView.Journal.clear();
        try {
            engine.RunScript();
            return L"";
        } catch (const Exception& e) {
            return e.Message();
        }
    }

    // The journal without status line 2 and message pumps.
    std::vector<std::wstring> Steps() const {
        std::vector<std::wstring> steps;
        for (const auto& entry : FView.Journal)
            if (entry != L"P" && entry.rfind(L"2:", 0) != 0)
                steps.push_back(entry);
        return steps;
    }

    TComInit FCom;
    test::TRecordingView FView;
};

TEST_F(RunScript, EmptyRootOnlyShowsStartAndEnd) {
    EXPECT_EQ(Run(""), L"");
    EXPECT_EQ(FView.Journal, (std::vector<std::wstring>{L"1:Uninstall in progress...", L"2:", L"P",
                                                        L"1:Uninstall done.", L"2:", L"P"}));
}

TEST_F(RunScript, GroupsRunInDocumentOrderAndCommentsBetweenThemAreSkipped) {
    EXPECT_EQ(Run("<!--first--><Processes><Process Name=\"a.exe\"/></Processes>"
                  "<Folders><Folder Path=\"C:\\x\"/></Folders><!--between-->"
                  "<Processes><Process Name=\"b.exe\"/><Process Name=\"c.exe\"/></Processes>"
                  "<Shares/>"),
              L"");
    EXPECT_EQ(Steps(), (std::vector<std::wstring>{
                           L"1:Uninstall in progress...",
                           L"1:Stopping Talveno Connect processes...",
                           L"Process a.exe",
                           L"1:Removing Talveno folders...",
                           L"Folder C:\\x",
                           L"1:Stopping Talveno Connect processes...",
                           L"Process b.exe",
                           L"Process c.exe",
                           L"1:Removing Shares...",
                           L"1:Uninstall done.",
                       }));
}

// The Profiles group is one step: its handler gets the group and shows its own status.
TEST_F(RunScript, ProfilesGroupIsHandedOverWhole) {
    EXPECT_EQ(Run("<Profiles><Key Name=\"HKCU\\x\"/><RegExpr>a</RegExpr></Profiles>"), L"");
    EXPECT_EQ(Steps(), (std::vector<std::wstring>{L"1:Uninstall in progress...", L"Profiles 2",
                                                  L"1:Uninstall done."}));
}

TEST_F(RunScript, CaughtErrorIsReportedAndTheRunGoesOn) {
    EXPECT_EQ(Run("<Processes><Process Name=\"a.exe\"/><Process Name=\"b.exe\"/>"
                  "<Process Name=\"bad.exe\"/><Process/><Process Name=\"e.exe\"/></Processes>"),
              L"");
    EXPECT_EQ(FView.Errors,
              (std::vector<std::wstring>{
                  L"Uninstall Process failed (cannot stop bad.exe)",
                  L"Uninstall Process failed (Could not convert variant of type (Null) into type "
                  L"(OleStr))"}));
    EXPECT_NE(std::find(FView.Journal.begin(), FView.Journal.end(), L"Process e.exe"),
              FView.Journal.end());
    EXPECT_EQ(FView.Phases().back(), L"Uninstall done.");
}

TEST_F(RunScript, UncaughtErrorEndsTheRun) {
    EXPECT_EQ(Run("<AppPath><Value Mask=\"*x*\"/><Value/><Value Mask=\"*y*\"/></AppPath>"
                  "<Processes><Process Name=\"a.exe\"/></Processes>"),
              L"Could not convert variant of type (Null) into type (OleStr)");
    EXPECT_EQ(FView.Phases(),
              (std::vector<std::wstring>{L"Uninstall in progress...", L"Removing AppPaths..."}));
    EXPECT_TRUE(FView.Errors.empty());
    EXPECT_NE(std::find(FView.Journal.begin(), FView.Journal.end(), L"Value *x*"),
              FView.Journal.end());
    EXPECT_EQ(std::find(FView.Journal.begin(), FView.Journal.end(), L"Value *y*"),
              FView.Journal.end());
    EXPECT_EQ(std::find(FView.Journal.begin(), FView.Journal.end(), L"Process a.exe"),
              FView.Journal.end());
}

TEST_F(RunScript, UnknownRootChildEndsTheRun) {
    struct TCase {
        std::string Body;
        std::wstring Error;
    };
    const TCase cases[] = {
        {"<Foo/><Shares/>", L"Unknown node \"Foo\""},
        {"<folders/>", L"Unknown node \"folders\""},
        {"<Shares/>stray text<Shares/>", L"Unknown node \"#text\""},
        // Only elements are groups, not a processing instruction that bears a group's name.
        {"<?Commands x?>", L"Unknown node \"Commands\""},
    };
    for (const auto& c : cases) {
        FView = {};
        std::wstring error = Run(c.Body);
        EXPECT_EQ(error, c.Error) << c.Body;
        EXPECT_NE(FView.Phases().back(), L"Uninstall done.") << c.Body;
    }
}

TEST_F(RunScript, WronglyNamedChildFailsTheAssertion) {
    for (const char* body : {"<Folders><!--note--><Folder Path=\"C:\\x\"/></Folders><Shares/>",
                             "<Folders><Folders Path=\"C:\\x\"/></Folders><Shares/>"}) {
        FView = {};
        EXPECT_EQ(Run(body),
                  L"Assertion failure (uiMain, line " + std::to_wstring(FolderCheckLine) + L")")
            << body;
        EXPECT_EQ(FView.Phases().back(), L"Removing Talveno folders...") << body;
    }
}

TEST_F(RunScript, TracesEveryStatusWithTheWindowAsSender) {
    test::TTraceRecorder trace;
    Run("<Shares/>");
    EXPECT_EQ(trace.Lines, (std::vector<std::wstring>{
                               L"TMainForm|LoadXml()",
                               L"TMainForm|Uninstall in progress...",
                               L"TMainForm|Removing Shares...",
                               L"TMainForm|Uninstall done.",
                           }));
}

} // namespace
