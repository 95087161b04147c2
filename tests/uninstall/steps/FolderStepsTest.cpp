#include "core/Text.h"
#include "support/OddTree.h"
#include "sys/shared/Procs.h"
#include "uninstall/steps/StepFixture.h"

#include <shlobj.h>

namespace {

std::wstring FolderStep(const std::wstring& Path, const std::wstring& Extra = L"") {
    return L"<Folders><Folder Path=\"" + Path + L"\" " + Extra + L"/></Folders>";
}

TEST_F(StepTest, FolderTreeGoesButItsExclusions) {
    Make(L"A\\plain.txt");
    Make(L"A\\readonly.dll", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    Make(L"A\\hidden.sys", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    Make(L"A\\Sub\\Deeper\\x.txt");
    Make(L"A\\Keep\\kept.txt");
    Make(L"A\\Sub\\Keep\\kept.txt");

    RunSteps(FolderStep(Root.Path() + L"A", L"Exclude=\"*\\A\\Keep\\*\""));

    EXPECT_FALSE(Exists(L"A\\plain.txt"));
    EXPECT_FALSE(Exists(L"A\\readonly.dll"));
    EXPECT_FALSE(Exists(L"A\\hidden.sys"));
    EXPECT_FALSE(Exists(L"A\\Sub"));
    EXPECT_TRUE(Exists(L"A\\Keep\\kept.txt"));
    // The folder that still holds the excluded tree cannot go: it waits for the restart.
    EXPECT_EQ(Locked(), std::vector<std::wstring>{Root.Path() + L"A\\"});
    EXPECT_TRUE(View.Errors.empty());
    EXPECT_TRUE(Traced(L"TMainForm|  path \"" + Root.Path() + L"A\\Keep\\\" is excluded"));
    EXPECT_TRUE(Traced(L"|    file \"" + Root.Path() + L"A\\readonly.dll\" deleted"));
}

TEST_F(StepTest, AnExclusionOfTheTopFolderLeavesEverything) {
    Make(L"A\\plain.txt");
    RunSteps(FolderStep(Root.Path() + L"A", L"Exclude=\"*\""));
    EXPECT_TRUE(Exists(L"A\\plain.txt"));
    EXPECT_TRUE(Locked().empty());
}

// Every item of the list keeps its folders, whatever its place in the list; an item with a
// blank is quoted.
TEST_F(StepTest, EveryItemOfTheExclusionListKeepsItsFolders) {
    const std::vector<std::wstring> files = {L"Keep\\k.txt",      L"Also\\a.txt",
                                             L"Sub\\Deep\\d.txt", L"With Blank\\w.txt",
                                             L"Sub\\s.txt",       L"plain.txt"};
    struct {
        const wchar_t* Exclude;
        std::vector<std::wstring> Kept;
    } cases[] = {
        {L"*\\A\\Keep\\*,*\\A\\Also\\*", {L"Keep\\k.txt", L"Also\\a.txt"}},
        {L"*\\A\\Also\\*,*\\A\\Keep\\*", {L"Keep\\k.txt", L"Also\\a.txt"}},
        {L"*\\Nowhere\\*, *\\A\\Sub\\Deep\\*,*\\A\\Keep\\*", {L"Keep\\k.txt", L"Sub\\Deep\\d.txt"}},
        {L"\"*\\A\\With Blank\\*\",*\\A\\Also\\*", {L"With Blank\\w.txt", L"Also\\a.txt"}},
    };
    for (const auto& c : cases) {
        for (const auto& file : files)
            Make(L"A\\" + file);

        RunSteps(FolderStep(Root.Path() + L"A", L"Exclude=\"" + Escape(c.Exclude) + L"\""));

        for (const auto& file : files) {
            bool kept = std::find(c.Kept.begin(), c.Kept.end(), file) != c.Kept.end();
            EXPECT_EQ(Exists(L"A\\" + file), kept)
                << WideToUtf8(c.Exclude) << " " << WideToUtf8(file);
        }
        EXPECT_TRUE(View.Errors.empty());
        test::RemoveTree(Root.Path() + L"A");
    }
}

// LocalOnly leaves out the folders of drives that are not fixed. The prefix has C: as a fixed
// drive and the build folder, where the test runs, as a removable one (B:).
TEST_F(StepTest, LocalOnlyLeavesOutOnlyDrivesThatAreNotFixed) {
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    const std::wstring fixed = Root.Path();
    const std::wstring other = std::wstring(current) + L"\\" + test::UniqueName(L"ut-") + L"\\";
    ASSERT_EQ(GetDriveTypeW(fixed.substr(0, 3).c_str()), static_cast<UINT>(DRIVE_FIXED));
    // Wine's mount manager, started with the Wine session, knows what B: is; until it has
    // taken the drive, Wine calls every drive on a disk fixed.
    for (int i = 0; i < 100 && GetDriveTypeW(other.substr(0, 3).c_str()) == DRIVE_FIXED; ++i)
        Sleep(100);
    ASSERT_NE(GetDriveTypeW(other.substr(0, 3).c_str()), static_cast<UINT>(DRIVE_FIXED))
        << WideToUtf8(other);
    struct {
        std::wstring Base;
        const wchar_t* Attribute;
        bool Deleted;
    } cases[] = {
        {fixed, L"LocalOnly=\"true\"", true},
        {fixed, L"LocalOnly=\"1\"", true},
        {fixed, L"LocalOnly=\"false\"", true},
        {fixed, L"", true},
        {other, L"LocalOnly=\"true\"", false},
        {other, L"LocalOnly=\"false\"", true},
        {other, L"", true},
    };
    CreateDirectoryW(other.c_str(), nullptr);
    for (const auto& c : cases) {
        const std::wstring folder = c.Base + L"A";
        CreateDirectoryW(folder.c_str(), nullptr);
        test::WriteTextFile(folder + L"\\x.txt", "x");

        RunSteps(FolderStep(folder, c.Attribute));

        EXPECT_EQ(!test::FileExists(folder), c.Deleted)
            << WideToUtf8(folder) << " " << WideToUtf8(c.Attribute);
        EXPECT_TRUE(Locked().empty());
        test::RemoveTree(folder);
    }
    test::RemoveTree(other);
}

TEST_F(StepTest, FileInUseGoesToTheLockedListWithItsFolders) {
    std::wstring held = Make(L"A\\B\\held.dll");
    Make(L"A\\B\\free.dll");
    TFileHandle open(CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(open);

    RunSteps(FolderStep(Root.Path() + L"A"));

    EXPECT_TRUE(Exists(L"A\\B\\held.dll"));
    EXPECT_FALSE(Exists(L"A\\B\\free.dll"));
    EXPECT_EQ(Locked(),
              (std::vector<std::wstring>{held, Root.Path() + L"A\\B\\", Root.Path() + L"A\\"}));
    EXPECT_TRUE(Traced(L"|    FLockedFiles.Add(" + held + L")"));
}

TEST_F(StepTest, MissingFoldersAndUnreadableAttributes) {
    RunSteps(L"<Folders><Folder Path=\"" + Root.Path() +
             L"Nothing\"/><Folder Exclude=\"x\"/><Folder Path=\"" + Root.Path() +
             L"A\" LocalOnly=\"maybe\"/></Folders>");
    // A missing folder is no error; an attribute that cannot be read sends the path read so
    // far to the locked list, without an error line.
    EXPECT_TRUE(View.Errors.empty());
    EXPECT_EQ(Locked(), (std::vector<std::wstring>{L"", Root.Path() + L"A"}));
    EXPECT_TRUE(Traced(L"TMainForm|Could not convert variant of type (Null) into type (OleStr)"));
    EXPECT_TRUE(
        Traced(L"TMainForm|Could not convert variant of type (OleStr) into type (Boolean)"));
}

std::wstring Special(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
    return path;
}

TEST_F(StepTest, RootsAndSystemFoldersAreRefused) {
    // A canary in the desktop folder: it survives only if the desktop is refused.
    std::wstring desktop = Special(CSIDL_DESKTOPDIRECTORY);
    std::wstring canary = desktop + L"\\" + test::UniqueName(L"canary-") + L".txt";
    test::WriteTextFile(canary, "x");
    // A relative path is refused once it names a folder (here, one in the current folder).
    const std::wstring relative = test::UniqueName(L"relative-");
    ASSERT_TRUE(CreateDirectoryW(relative.c_str(), nullptr));
    const std::vector<std::wstring> refused = {desktop, L"C:\\", relative,
                                               Special(CSIDL_PROGRAM_FILES)};
    std::wstring groups;
    for (const auto& path : refused)
        groups += FolderStep(Escape(path));

    RunSteps(groups);

    EXPECT_TRUE(test::FileExists(canary));
    DeleteFileW(canary.c_str());
    EXPECT_TRUE(RemoveDirectoryW(relative.c_str())) << "the relative folder must survive";
    EXPECT_TRUE(Locked().empty());
    ASSERT_EQ(View.Errors.size(), refused.size());
    for (size_t i = 0; i < refused.size(); ++i)
        EXPECT_EQ(View.Errors[i].rfind(L"Folder \"" + refused[i] + L"\" is not deleted (", 0), 0u)
            << WideToUtf8(View.Errors[i]);
}

TEST_F(StepTest, FileStepDeletesMatchesAndDoesNotDescendUnlessAsked) {
    Make(L"InMailSrv.log");
    Make(L"InMailSrv.exe", FILE_ATTRIBUTE_READONLY);
    Make(L"Other.txt");
    Make(L"Sub\\InMailSrv.dat");

    RunSteps(L"<Files><File Path=\"" + Root.Path() +
             L"\" Mask=\"inmailsrv.*\" Recursive=\"False\"/></Files>");

    EXPECT_FALSE(Exists(L"InMailSrv.log"));
    EXPECT_FALSE(Exists(L"InMailSrv.exe"));
    EXPECT_TRUE(Exists(L"Other.txt"));
    EXPECT_TRUE(Exists(L"Sub\\InMailSrv.dat"));
    EXPECT_TRUE(Traced(L"TMainForm|File \"Other.txt\" does not match mask"));

    RunSteps(L"<Files><File Path=\"" + Root.Path() +
             L"\" Mask=\"InMailSrv.*\" Recursive=\"1\"/></Files>");
    EXPECT_FALSE(Exists(L"Sub\\InMailSrv.dat"));
}

TEST_F(StepTest, FileStepErrorsAreShownAndTheRunGoesOn) {
    Make(L"A\\x.log");
    RunSteps(L"<Files><File Path=\"" + Root.Path() + L"A\" Mask=\"*.log\"/><File Path=\"" +
             Root.Path() + L"A\" Mask=\"[a-\" Recursive=\"True\"/><File Path=\"" + Root.Path() +
             L"A\" Mask=\"*.log\" Recursive=\"true\"/></Files>");
    ASSERT_EQ(View.Errors.size(), 2u);
    EXPECT_EQ(View.Errors[0], L"Uninstall folder \"" + Root.Path() +
                                  L"A\\\" failed (Could not convert variant of type (Null) into "
                                  L"type (Boolean))");
    EXPECT_EQ(View.Errors[1].rfind(L"Uninstall folder \"" + Root.Path() + L"A\\\" failed (", 0),
              0u);
    EXPECT_FALSE(Exists(L"A\\x.log"));
}

TEST_F(StepTest, OnTheDeveloperWorkstationNothingIsDeleted) {
    Workstation = AsciiLower(ComputerName());
    Make(L"A\\x.log");
    Make(L"A\\y.txt");
    RunSteps(FolderStep(Root.Path() + L"A") + L"<Files><File Path=\"" + Root.Path() +
             L"A\" Mask=\"*.log\" Recursive=\"True\"/></Files>");
    EXPECT_TRUE(Exists(L"A\\x.log"));
    EXPECT_TRUE(Exists(L"A\\y.txt"));
    EXPECT_TRUE(Locked().empty());
    // The file step still walks the folder.
    EXPECT_TRUE(Traced(L"TMainForm|File \"y.txt\" does not match mask"));
}

} // namespace

namespace {

// The link fixture of the test run (CMake's folder_link_fixture): C:\link-fixture\tree holds
// sub\f.txt and lnk, a folder link to C:\link-fixture\target, which holds keep.txt.
TEST_F(StepTest, ALinkedFolderIsNeverDescendedInto) {
    const std::wstring fixture = L"C:\\link-fixture\\";
    if (!(GetFileAttributesW((fixture + L"tree\\lnk").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) ||
        GetFileAttributesW((fixture + L"tree\\lnk").c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_FAIL() << "the link fixture the set-up made is gone: a step walked into it";

    RunSteps(FolderStep(fixture + L"tree"));

    EXPECT_TRUE(test::FileExists(fixture + L"target\\keep.txt"));
    EXPECT_FALSE(test::FileExists(fixture + L"tree\\sub"));
    // Wine opens a Unix link only as its target: the link cannot go without touching the
    // target, so it stays, with an error line, and is never scheduled for the restart; the
    // folder that still holds it waits for the restart.
    EXPECT_TRUE(test::FileExists(fixture + L"tree\\lnk"));
    EXPECT_EQ(Locked(), std::vector<std::wstring>{fixture + L"tree\\"});
    EXPECT_EQ(View.Errors, std::vector<std::wstring>{L"Link \"" + fixture +
                                                     L"tree\\lnk\" is not "
                                                     L"deleted (the link cannot be removed "
                                                     L"without touching its target)"});
    EXPECT_FALSE(Traced(L"|  deleting path : " + fixture + L"tree\\lnk"));
}

// The other trees of the link fixture (link-fixture.sh).
const std::wstring LinkFixture = L"C:\\link-fixture\\";

bool IsFolderLink(const std::wstring& Path) {
    DWORD attributes = GetFileAttributesW(Path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// top\lnk is a folder link to top-target, which holds keep.txt. Given with or without a
// trailing backslash, the step removes at most the link: where the platform opens the link
// only as its target (Wine), the link stays with an error line. Never scheduled.
TEST_F(StepTest, AFolderStepOnALinkRemovesTheLinkAlone) {
    const std::wstring link = LinkFixture + L"top\\lnk";
    if (!IsFolderLink(link))
        GTEST_FAIL() << "the link fixture the set-up made is gone: a step walked into it";

    for (const std::wstring& path : {link, link + L"\\"}) {
        SCOPED_TRACE(WideToUtf8(path));
        View.Errors.clear();
        RunSteps(FolderStep(path));

        EXPECT_TRUE(test::FileExists(LinkFixture + L"top-target\\keep.txt"));
        EXPECT_TRUE(Locked().empty());
        EXPECT_FALSE(Traced(L"|  deleting path : " + link));
        if (test::FileExists(link))
            EXPECT_EQ(View.Errors,
                      std::vector<std::wstring>{L"Link \"" + path +
                                                L"\" is not deleted (the link cannot be removed "
                                                L"without touching its target)"});
        else
            EXPECT_TRUE(View.Errors.empty());
    }
}

// files holds sub\f.txt and lnk, a folder link to files-target, which holds f.txt.
TEST_F(StepTest, ARecursiveFileStepDoesNotSearchALinkedFolder) {
    const std::wstring files = LinkFixture + L"files\\";
    if (!IsFolderLink(files + L"lnk"))
        GTEST_FAIL() << "the link fixture the set-up made is gone: a step walked into it";

    RunSteps(L"<Files><File Path=\"" + files + L"\" Mask=\"*.txt\" Recursive=\"True\"/></Files>");

    EXPECT_FALSE(test::FileExists(files + L"sub\\f.txt"));
    EXPECT_TRUE(test::FileExists(LinkFixture + L"files-target\\f.txt"));
    // A File step deletes files only: the link itself stays too.
    EXPECT_TRUE(IsFolderLink(files + L"lnk"));
    EXPECT_TRUE(Locked().empty());
    EXPECT_TRUE(View.Errors.empty());
}

// filelinks and tree-filelink each hold flink.txt, a file link to outside.txt beside them. Wine
// opens a Unix link as its target: a File step and a Folder step check each handle for what it
// really names, so the file outside stays whole and the link stays, with an error line.
TEST_F(StepTest, AFileLinkNeverTakesTheFileOutside) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"filelinks", L"<Files><File Path=\"" + LinkFixture +
                           L"filelinks\" Mask=\"*.txt\" Recursive=\"False\"/></Files>"},
        {L"tree-filelink", FolderStep(LinkFixture + L"tree-filelink")},
    };
    for (const auto& [tree, step] : cases) {
        SCOPED_TRACE(WideToUtf8(tree));
        const std::wstring link = LinkFixture + tree + L"\\flink.txt";
        const std::wstring outside = LinkFixture + tree + L"-target\\outside.txt";
        if (!test::FileExists(link) || !test::FileExists(outside))
            GTEST_FAIL() << "the link fixture the set-up made is gone: a step walked into it";
        View.Errors.clear();

        RunSteps(step);

        EXPECT_EQ(test::ReadTextFile(outside), "keep\n");
        EXPECT_TRUE(test::FileExists(link));
        EXPECT_EQ(View.Errors, std::vector<std::wstring>{L"Link \"" + link +
                                                         L"\" is not deleted (the link cannot be "
                                                         L"removed without touching its target)"});
    }
}

} // namespace

namespace {

// A script path that is no plain full path follows the Win32 rules, by which a device name
// ends the path at the device: such a Folder step deletes nothing, with an error line. Written
// as a plain full path, the same name is the suite's entry of that name.
TEST_F(StepTest, AScriptPathThatNamesADeviceIsRefused) {
    const std::wstring top = Root.Path() + L"suite";
    test::TOddTree tree(top);
    RunSteps(L"<Folders><Folder Path=\"" + top + L"\\dir.\\..\\NUL\"/><Folder Path=\"" + top +
             L"\\dir.\"/></Folders>");
    EXPECT_EQ(View.Errors, std::vector<std::wstring>{L"Folder \"" + top +
                                                     L"\\dir.\\..\\NUL\" is not deleted (the path "
                                                     L"names the device \"\\\\.\\NUL\")"});
    EXPECT_NE(GetFileAttributesW(test::Long(top + L"\\NUL").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(test::Long(top + L"\\dir.").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the plain path names the folder \"dir.\" itself";
}

// A Folder step takes such a tree whole; a recursive File step every file of it, searching
// into every folder, whatever its name. No error line, nothing left for the restart.
TEST_F(StepTest, LongPathsAndNamesTheWin32LayerRewritesAreRemovedAsTheyAre) {
    const std::wstring top = Root.Path() + L"suite";
    struct TCase {
        const char* Name;
        std::wstring Group;
        bool Folders; // the step removes the folders too
    } cases[] = {
        {"Folder step", L"<Folders><Folder Path=\"" + top + L"\"/></Folders>", true},
        {"File step", L"<Files><File Path=\"" + top + L"\" Mask=\"*\" Recursive=\"True\"/></Files>",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        test::TOddTree tree(top);
        ASSERT_GT(tree.Deepest().size(), 1000u);
        View.Errors.clear();
        RunSteps(c.Group);
        std::string left;
        for (const auto& path : test::TOddTree::Left(top, c.Folders))
            left += WideToUtf8(path) + "\n";
        EXPECT_EQ(left, "") << "still there";
        EXPECT_TRUE(View.Errors.empty()) << WideToUtf8(View.Errors.front());
        EXPECT_TRUE(Locked().empty()) << WideToUtf8(Locked().front());
    }
}

} // namespace
