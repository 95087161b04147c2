// The Shortcut step on real shell links, written through Wine's shell link object.
#include "core/Exception.h"
#include "core/Text.h"
#include "support/EnvSupport.h"
#include "sys/com/ShortcutLink.h"
#include "uninstall/steps/StepFixture.h"

namespace {

// The masks of the default script, all four on one folder.
const wchar_t* const DefaultMasks[] = {L"*.velmarix*", L"*.talveno*", L"*VelxLP*", L"*kestra.com*"};

class ShortcutStepTest : public StepTest {
protected:
    // A link at Root\Relative to Target (made as a file when it does not exist).
    std::wstring Link(const std::wstring& Relative, const std::wstring& Target,
                      const std::wstring& Arguments = L"") {
        if (!test::FileExists(Target))
            test::WriteTextFile(Target, "x");
        std::wstring file = Make(Relative);
        DeleteFileW(file.c_str());
        TShortcutLink link;
        link.ShortcutFile = file;
        link.Target = Target;
        link.Arguments = Arguments;
        link.Write();
        return file;
    }
    std::wstring App(const std::wstring& Name) { return Make(L"apps\\" + Name); }

    std::wstring Shortcuts(const std::wstring& Path, const std::wstring& Recursive = L"True") {
        std::wstring xml = L"<Shortcuts>";
        for (const wchar_t* mask : DefaultMasks)
            xml += L"<Shortcut Path=\"" + Escape(Path) + L"\" TargetMask=\"" + mask +
                   L"\" Recursive=\"" + Recursive + L"\"/>";
        return xml + L"</Shortcuts>";
    }
    size_t Count(const std::wstring& Line) const {
        return std::count(Trace.Lines.begin(), Trace.Lines.end(), Line);
    }
};

TEST_F(ShortcutStepTest, ShortcutsAreFoundByTargetOrArgumentsAndDecoysStay) {
    const std::wstring browser = App(L"browser.exe");
    const struct {
        std::wstring Name;
        std::wstring Target;
        std::wstring Arguments;
        bool Deleted;
    } cases[] = {
        {L"Portal.lnk", browser, L"https://portal.velmarix.com/", true},
        {L"Help.lnk", browser, L"http://www.kestra.com/help", true},
        {L"Tool.lnk", App(L"tool.talveno.exe"), L"", true},
        {L"Launch.lnk", App(L"VelxLP.exe"), L"--start", true},
        {L"sub\\deeper\\Deep.lnk", App(L"VelxLP.exe"), L"", true},
        // Outside the ANSI code page, in the link's name, its target and its arguments.
        {L"\u041f\u043e\u0440\u0442\u0430\u043b.lnk",
         Make(L"apps\\\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u0430\\app.velmarix.exe"),
         L"", true},
        {L"\u5feb\u6377.lnk", browser, L"https://\u4e2d.velmarix.cn/", true},
        {L"readme.LNK", App(L"tool.talveno.exe"), L"", true},
        // Decoys: the suite's names without the dot the masks ask for, other programs.
        {L"Decoy.lnk", browser, L"https://example.org/velmarix", false},
        {L"Other.lnk", App(L"other.exe"), L"", false},
        {L"x.lnk.txt", App(L"tool.talveno.exe"), L"", false},
        {L"sub\\Notes.lnk", App(L"notes.exe"), L"velmarix talveno", false},
    };
    for (const auto& c : cases)
        Link(L"Desktop\\" + c.Name, c.Target, c.Arguments);

    RunSteps(Shortcuts(Root.Path() + L"Desktop"));

    for (const auto& c : cases)
        EXPECT_EQ(Exists(L"Desktop\\" + c.Name), !c.Deleted) << WideToUtf8(c.Name);
    EXPECT_TRUE(View.Errors.empty());
    EXPECT_TRUE(Locked().empty());
    // Found by its arguments: its name, target and arguments are traced, in that order, then
    // its deletion.
    const std::vector<std::wstring> inOrder = {L"TMainForm|    check Portal.lnk",
                                               L"TMainForm|    check " + browser,
                                               L"TMainForm|    check https://portal.velmarix.com/",
                                               L"TMainForm|    file \"Portal.lnk\" deleted"};
    auto at = Trace.Lines.begin();
    for (const auto& line : inOrder) {
        at = std::find(at, Trace.Lines.end(), line);
        EXPECT_NE(at, Trace.Lines.end()) << "missing or out of order: " << WideToUtf8(line);
    }
    EXPECT_TRUE(Traced(L"TMainForm|    check " + Root.Path() + L"apps\\tool.talveno.exe"));
    EXPECT_TRUE(Traced(L"TMainForm|  path = " + Root.Path() + L"Desktop\\sub\\deeper"));
}

// A damaged link is left alone and is no error. A link whose target is gone is still the
// suite's by what it stores: Wine reads the target as stored, and its arguments name the
// suite's site anyway, so it goes, with no error line.
TEST_F(ShortcutStepTest, ADamagedLinkStaysAndAGoneTargetIsNoError) {
    Make(L"Desktop\\damaged.lnk");
    std::wstring gone = App(L"gone.velmarix.exe");
    Link(L"Desktop\\Gone.lnk", gone, L"https://portal.velmarix.com/");
    ASSERT_TRUE(DeleteFileW(gone.c_str()));

    RunSteps(Shortcuts(Root.Path() + L"Desktop"));

    EXPECT_TRUE(Exists(L"Desktop\\damaged.lnk"));
    EXPECT_FALSE(Exists(L"Desktop\\Gone.lnk"));
    EXPECT_TRUE(Traced(L"TMainForm|    file \"Gone.lnk\" deleted"));
    EXPECT_TRUE(View.Errors.empty());
    EXPECT_TRUE(Locked().empty());
    EXPECT_EQ(Count(L"TMainForm|Read \"" + Root.Path() +
                    L"Desktop\\damaged.lnk\" failed (Unable to open link file)"),
              4u);
}

// A matching link that is read-only goes all the same, as a read-only file of the File step
// does.
TEST_F(ShortcutStepTest, AReadOnlyMatchingLinkGoes) {
    const std::wstring link = Link(L"Desktop\\ReadOnly.lnk", App(L"VelxLP.exe"));
    ASSERT_TRUE(SetFileAttributesW(link.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    RunSteps(Shortcuts(Root.Path() + L"Desktop"));
    EXPECT_FALSE(Exists(L"Desktop\\ReadOnly.lnk"));
    EXPECT_TRUE(View.Errors.empty());
    EXPECT_TRUE(Locked().empty());
}

// A link found by its target is deleted without its arguments being read.
TEST_F(ShortcutStepTest, AMatchingTargetIsEnough) {
    Link(L"Desktop\\Launch.lnk", App(L"VelxLP.exe"), L"--start");
    RunSteps(L"<Shortcuts><Shortcut Path=\"" + Escape(Root.Path() + L"Desktop") +
             L"\" TargetMask=\"*VelxLP*\" Recursive=\"False\"/></Shortcuts>");
    EXPECT_FALSE(Exists(L"Desktop\\Launch.lnk"));
    EXPECT_TRUE(Traced(L"TMainForm|    check " + Root.Path() + L"apps\\VelxLP.exe"));
    EXPECT_FALSE(Traced(L"TMainForm|    check --start"));
    EXPECT_TRUE(Traced(L"TMainForm|    file \"Launch.lnk\" deleted"));
}

// Only "True" searches the sub-folders.
TEST_F(ShortcutStepTest, OnlyTrueSearchesSubFolders) {
    for (const wchar_t* recursive : {L"1", L"yes", L"False", L"tRUE"}) {
        Link(L"Desktop\\Top.lnk", App(L"VelxLP.exe"));
        Link(L"Desktop\\sub\\Deep.lnk", App(L"VelxLP.exe"));
        RunSteps(Shortcuts(Root.Path() + L"Desktop", recursive));
        EXPECT_FALSE(Exists(L"Desktop\\Top.lnk")) << WideToUtf8(recursive);
        EXPECT_EQ(Exists(L"Desktop\\sub\\Deep.lnk"), std::wstring(recursive) != L"tRUE")
            << WideToUtf8(recursive);
    }
}

// A matching link that another program holds open waits for the restart.
TEST_F(ShortcutStepTest, AHeldMatchingLinkGoesToTheLockedList) {
    std::wstring held = Link(L"Desktop\\Held.lnk", App(L"VelxLP.exe"));
    Link(L"Desktop\\Free.lnk", App(L"VelxLP.exe"));
    test::TRunningProcess holder(L"\"" + test::HelperPath(L"procs_child.exe") + L"\" holdread \"" +
                                 held + L"\"");
    ASSERT_TRUE(test::WaitForFile(held + L".held", 20000));
    DeleteFileW((held + L".held").c_str());

    RunSteps(Shortcuts(Root.Path() + L"Desktop"));

    EXPECT_TRUE(Exists(L"Desktop\\Held.lnk"));
    EXPECT_FALSE(Exists(L"Desktop\\Free.lnk"));
    EXPECT_EQ(Locked(), std::vector<std::wstring>{held});
    EXPECT_TRUE(View.Errors.empty());
}

// An empty or relative path would search the current folder: it searches nothing.
TEST_F(ShortcutStepTest, AnEmptyOrRelativePathSearchesNothing) {
    Link(L"Desktop\\Launch.lnk", App(L"VelxLP.exe"));
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW((Root.Path() + L"Desktop").c_str()));
    RunSteps(L"<Shortcuts><Shortcut Path=\"\" TargetMask=\"*VelxLP*\" Recursive=\"True\"/>"
             L"<Shortcut Path=\".\" TargetMask=\"*VelxLP*\" Recursive=\"True\"/>"
             L"<Shortcut Path=\"Desktop\" TargetMask=\"*VelxLP*\" Recursive=\"True\"/>"
             L"</Shortcuts>");
    SetCurrentDirectoryW(before);
    EXPECT_TRUE(Exists(L"Desktop\\Launch.lnk"));
    ASSERT_EQ(View.Errors.size(), 3u);
    EXPECT_EQ(View.Errors[0].rfind(L"UninstallShortcut \"\" \"*VelxLP*\" failed (", 0), 0u)
        << WideToUtf8(View.Errors[0]);
}

TEST_F(ShortcutStepTest, MissingAttributesAndABadMaskAreErrorLines) {
    Link(L"Desktop\\Launch.lnk", App(L"VelxLP.exe"));
    const std::wstring path = Escape(Root.Path() + L"Desktop");
    RunSteps(L"<Shortcuts><Shortcut TargetMask=\"*VelxLP*\" Recursive=\"True\"/>"
             L"<Shortcut Path=\"" +
             path +
             L"\" Recursive=\"True\"/>"
             L"<Shortcut Path=\"" +
             path +
             L"\" TargetMask=\"*VelxLP*\"/>"
             L"<Shortcut Path=\"" +
             path +
             L"\" TargetMask=\"[VelxLP\" Recursive=\"True\"/>"
             L"</Shortcuts>");
    EXPECT_TRUE(Exists(L"Desktop\\Launch.lnk"));
    ASSERT_EQ(View.Errors.size(), 4u);
    EXPECT_EQ(
        View.Errors[1].rfind(L"UninstallShortcut \"" + Root.Path() + L"Desktop\" \"\" failed (", 0),
        0u)
        << WideToUtf8(View.Errors[1]);
}

// C:\link-fixture\shortcuts\lnk is a folder link to C:\link-fixture\shortcuts-target
// (link-fixture.sh): a matching link there belongs to the other folder and stays. Met below the
// folder searched, the link is passed over with a trace line; named by the script, it is an
// error line. A folder that is not there is traced and holds nothing.
TEST_F(ShortcutStepTest, ALinkedFolderIsNotSearched) {
    const std::wstring target = L"C:\\link-fixture\\shortcuts-target\\Launch.lnk";
    ASSERT_NE(GetFileAttributesW(L"C:\\link-fixture\\shortcuts\\lnk"), INVALID_FILE_ATTRIBUTES);
    TShortcutLink link;
    link.ShortcutFile = target;
    link.Target = App(L"VelxLP.exe");
    link.Write();

    const std::wstring missing = Root.Path() + L"missing";
    RunSteps(Shortcuts(L"C:\\link-fixture\\shortcuts") +
             Shortcuts(L"C:\\link-fixture\\shortcuts\\lnk") + Shortcuts(missing));

    EXPECT_TRUE(test::FileExists(target));
    EXPECT_TRUE(Locked().empty());
    EXPECT_TRUE(
        Traced(L"TMainForm|  path = C:\\link-fixture\\shortcuts\\lnk is a link: not searched"));
    // One error line for each Shortcut element of the group (one per mask).
    EXPECT_EQ(View.Errors,
              std::vector<std::wstring>(std::size(DefaultMasks),
                                        L"Shortcuts in \"C:\\link-fixture\\shortcuts\\lnk\" "
                                        L"are not deleted (the path is a link)"));
    EXPECT_TRUE(Traced(L"TMainForm|  path = " + missing));
}

} // namespace
