#include "core/Handle.h"
#include "core/Text.h"
#include "support/EnvSupport.h"
#include "support/RegistrySupport.h"
#include "support/TestSupport.h"
#include "sys/files/FileSystem.h"
#include "sys/files/ProvenPath.h"
#include "sys/files/UserControl.h"
#include "uninstall/steps/LockedFiles.h"
#include "uninstall/steps/StepFixture.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>

namespace {

std::vector<std::wstring> NewSince(size_t Before) {
    auto all = test::PendingDeletions();
    return std::vector<std::wstring>(all.begin() + std::min(Before, all.size()), all.end());
}

struct TForm : TObject {
    std::wstring ClassName() const override { return L"TMainForm"; }
};

std::wstring Strip(std::wstring path) {
    if (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}

// The paths a record says wait for the restart are, one for one, those the restart list took.
void ExpectRecordAgrees(const TItemRecord& Item, const std::vector<std::wstring>& Added) {
    auto keys = [](const std::vector<std::wstring>& paths) {
        std::vector<std::wstring> keys;
        for (const auto& path : paths)
            keys.push_back(AsciiLower(Strip(path)));
        std::sort(keys.begin(), keys.end());
        return keys;
    };
    EXPECT_EQ(keys(Item.Scheduled), keys(Added));
}

TEST(LockedFiles, ScheduledDeepestFirstUpToTheDriveRoot) {
    test::TTempFolder root;
    std::wstring q = root.Path() + L"P\\Q\\";
    CreateDirectoryW((root.Path() + L"P").c_str(), nullptr);
    CreateDirectoryW(q.c_str(), nullptr);
    std::wstring f = q + L"f.dll", g = q + L"g.dll";
    test::WriteTextFile(f, "x");
    test::WriteTextFile(g, "x");

    size_t before = test::PendingDeletions().size();
    TForm form;
    const size_t scheduled = DeleteLockedFiles(&form, {f, g});
    auto added = NewSince(before);
    EXPECT_EQ(scheduled, added.size()) << "the count tells whether a restart is needed";

    // The two files, then their folder once, then every parent below the drive root that is
    // no profile or system folder.
    std::vector<std::wstring> expected = {f, g, Strip(q), Strip(root.Path() + L"P\\"),
                                          Strip(root.Path())};
    ASSERT_GE(added.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(CompareStringOrdinal(Strip(added[i]).c_str(), -1, expected[i].c_str(), -1,
                                         TRUE) == CSTR_EQUAL)
            << i;
    wchar_t profile[MAX_PATH];
    SHGetSpecialFolderPathW(nullptr, profile, CSIDL_PROFILE, FALSE);
    for (const auto& entry : added) {
        EXPECT_NE(Strip(entry).size(), 2u);
        EXPECT_FALSE(CompareStringOrdinal(Strip(entry).c_str(), -1, profile, -1, TRUE) ==
                     CSTR_EQUAL)
            << "a profile root must never be scheduled";
    }
}

// What is left to the restart is what was checked: a path that names another file by the time
// it is scheduled is refused, and the restart list stays as it was.
TEST(LockedFiles, APathReplacedSinceItWasProvenIsNotLeftToTheRestart) {
    test::TTempFolder folder;
    const std::wstring file = folder.Path() + L"held.dll";
    test::WriteTextFile(file, "checked");
    const FileSystem::TPathProof proof = FileSystem::ProveOutOfUsersReach(file);
    ASSERT_TRUE(proof.Proven) << WideToUtf8(proof.Reason);
    // Moved aside, not deleted: a new file could get the freed number of the old one.
    ASSERT_TRUE(MoveFileW(file.c_str(), (file + L".old").c_str()));
    test::WriteTextFile(file, "someone else's");
    const size_t before = test::PendingDeletions().size();
    const std::wstring refused = FileSystem::DeleteAtRestart(*proof.Proven);
    EXPECT_NE(refused.find(L"names something else than when it was checked"), std::wstring::npos)
        << WideToUtf8(refused);
    EXPECT_EQ(test::PendingDeletions().size(), before);
}

TEST(LockedFiles, ALockedShortcutNeverSchedulesTheDesktop) {
    wchar_t desktop[MAX_PATH];
    SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_COMMON_DESKTOPDIRECTORY, FALSE);
    std::wstring link = std::wstring(desktop) + L"\\" + test::UniqueName(L"x-") + L".lnk";
    size_t before = test::PendingDeletions().size();
    TForm form;
    EXPECT_EQ(DeleteLockedFiles(&form, {link, L"C:\\f.dll"}), 2u);
    auto added = NewSince(before);
    EXPECT_EQ(added.size(), 2u) << "only the two files themselves";
}

// A locked list of protected folders alone schedules nothing, and says so: the run needs no
// restart (a quiet run ends with 0, not 3010).
TEST(LockedFiles, OnlyProtectedFoldersNeedNoRestart) {
    wchar_t desktop[MAX_PATH], windows[MAX_PATH];
    SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_COMMON_DESKTOPDIRECTORY, FALSE);
    GetWindowsDirectoryW(windows, MAX_PATH);
    size_t before = test::PendingDeletions().size();
    TForm form;
    EXPECT_EQ(DeleteLockedFiles(&form, {std::wstring(desktop) + L"\\", windows}), 0u);
    EXPECT_TRUE(NewSince(before).empty());
}

// The system's restart list cannot be written (its key refuses new values): the system takes
// no path. Nothing counts as scheduled, so the run needs no restart (a quiet run does not end
// with 3010), and every path the walk reached stays with an error line of its own, in the order
// the walk reached it: the locked files, then each folder above them below the protected ones.
TEST(LockedFiles, PathsTheRestartListRefusesAreNotCountedAndEachHasItsErrorLine) {
    test::TTempFolder root;
    const std::wstring p = root.Path() + L"P";
    ASSERT_TRUE(CreateDirectoryW(p.c_str(), nullptr));
    const std::wstring f = p + L"\\f.dll", g = p + L"\\g.dll";
    test::WriteTextFile(f, "x");
    test::WriteTextFile(g, "x");

    std::vector<std::wstring> stayed, errors, taken;
    TLockedFileEvents events;
    events.Stays = [&](const std::wstring& Path, const std::wstring& Error) {
        stayed.push_back(Path);
        errors.push_back(Error);
    };
    events.Taken = [&](const std::wstring& Path) {
        taken.push_back(Path);
    };
    const size_t before = test::PendingDeletions().size();
    size_t scheduled = 0;
    {
        test::TKeyWriteDenied refused(HKEY_LOCAL_MACHINE,
                                      L"SYSTEM\\CurrentControlSet\\Control\\Session Manager");
        TForm form;
        scheduled = DeleteLockedFiles(&form, {f, g}, events);
    }
    EXPECT_EQ(scheduled, 0u);
    EXPECT_TRUE(taken.empty()) << WideToUtf8(taken.front());
    EXPECT_EQ(test::PendingDeletions().size(), before);

    const std::vector<std::wstring> expected = {f, g, p, Strip(root.Path())};
    ASSERT_EQ(stayed.size(), expected.size()) << testing::PrintToString(errors);
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(WideToUtf8(expected[i]));
        EXPECT_TRUE(CompareStringOrdinal(Strip(stayed[i]).c_str(), -1, expected[i].c_str(), -1,
                                         TRUE) == CSTR_EQUAL)
            << WideToUtf8(stayed[i]);
        const std::wstring start = L"\"" + stayed[i] + L"\" cannot be left to the restart (";
        EXPECT_EQ(errors[i].rfind(start, 0), 0u) << WideToUtf8(errors[i]);
        EXPECT_GT(errors[i].size(), start.size() + 1) << "no reason: " << WideToUtf8(errors[i]);
        EXPECT_EQ(errors[i].back(), L')') << WideToUtf8(errors[i]);
    }
}

// A match of a File step that another program holds open stays, waits in the locked list, and
// is scheduled with the folders that hold it, up to the test's own temporary folder.
TEST_F(StepTest, AHeldMatchOfAFileStepIsScheduledForTheRestart) {
    std::wstring held = Make(L"A\\held.dll");
    Make(L"A\\free.dll");
    test::TRunningProcess holder(L"\"" + test::HelperPath(L"procs_child.exe") + L"\" hold \"" +
                                 held + L"\"");
    ASSERT_TRUE(test::WaitForFile(held + L".held", 20000));

    RunSteps(L"<Files><File Path=\"" + Root.Path() +
             L"A\" Mask=\"*.dll\" Recursive=\"False\"/></Files>");

    EXPECT_TRUE(Exists(L"A\\held.dll"));
    EXPECT_FALSE(Exists(L"A\\free.dll"));
    EXPECT_EQ(Locked(), std::vector<std::wstring>{held});
    EXPECT_TRUE(View.Errors.empty());

    size_t before = test::PendingDeletions().size();
    Engine->DeleteLockedFiles();
    auto added = NewSince(before);
    ExpectRecordAgrees(Engine->Records().Items().at(0), added);
    const std::vector<std::wstring> expected = {held, Strip(Root.Path() + L"A\\"),
                                                Strip(Root.Path())};
    ASSERT_GE(added.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(CompareStringOrdinal(Strip(added[i]).c_str(), -1, expected[i].c_str(), -1,
                                         TRUE) == CSTR_EQUAL)
            << i << " " << WideToUtf8(added[i]);
}

// Two folders with locked files below one parent: every path goes on the list once, and the
// shared parent after both, so that it is empty when its turn comes.
TEST(LockedFiles, EachPathOnceAndAParentAfterEverythingInIt) {
    test::TTempFolder root;
    const std::wstring a = root.Path() + L"A", b = a + L"\\B", c = a + L"\\C";
    for (const auto& folder : {a, b, c})
        CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring f = b + L"\\f.dll", g = c + L"\\g.dll";
    test::WriteTextFile(f, "x");
    test::WriteTextFile(g, "x");

    size_t before = test::PendingDeletions().size();
    TForm form;
    DeleteLockedFiles(&form, {f, g, b + L"\\", a + L"\\"});
    auto added = NewSince(before);

    auto at = [&](const std::wstring& path) {
        size_t found = added.size(), count = 0;
        for (size_t i = 0; i < added.size(); ++i)
            if (CompareStringOrdinal(Strip(added[i]).c_str(), -1, path.c_str(), -1, TRUE) ==
                CSTR_EQUAL) {
                found = i;
                ++count;
            }
        EXPECT_EQ(count, 1u) << WideToUtf8(path);
        return found;
    };
    const size_t atF = at(f), atG = at(g), atB = at(b), atC = at(c), atA = at(a);
    EXPECT_LT(atF, atB);
    EXPECT_LT(atG, atC);
    EXPECT_LT(atB, atA);
    EXPECT_LT(atC, atA);
    EXPECT_LT(atA, at(Strip(root.Path())));
}

// A folder the script deletes holds a folder every user may change, and a program there holds
// a file open without sharing, so that it can be neither deleted nor moved: the user could turn
// that folder into a link to the system folder after the run, and the restart would delete a
// file of that name there.
// - A Folder step removes the whole tree: the tree is taken out of users' reach first, and the
//   file and its folders wait for the restart as themselves, with no error line.
// - A File step removes only its matches, and a Folder step whose tree keeps an excluded folder
//   does not remove the tree: neither is taken from the users. The file stays off the restart
//   list with one error line, nothing below that folder is scheduled, and the users keep their
//   rights to it.
TEST_F(StepTest, ALockedFileBelowAFolderUsersCanChangeWaitsOnlyOnceTheTreeIsOutOfTheirReach) {
    struct TCase {
        const char* Name;
        std::wstring Group;
        bool Scheduled;
    };
    const TCase cases[] = {
        {"the Folder step's tree", L"<Folders><Folder Path=\"" + Root.Path() + L"A\"/></Folders>",
         true},
        {"a File step",
         L"<Files><File Path=\"" + Root.Path() +
             L"A\\users\" Mask=\"*.dll\" Recursive=\"False\"/></Files>",
         false},
        {"a tree with an exclusion",
         L"<Folders><Folder Path=\"" + Root.Path() + L"A\" Exclude=\"*\\keep\\\"/></Folders>",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::wstring held = Make(L"A\\users\\held.dll");
        Make(L"A\\users\\free.dll");
        Make(L"A\\users\\keep\\data.txt");
        const std::wstring users = Root.Path() + L"A\\users";
        test::LetEveryoneChange(users);
        test::TRunningProcess holder(L"\"" + test::HelperPath(L"procs_child.exe") + L"\" hold \"" +
                                     held + L"\"");
        ASSERT_TRUE(test::WaitForFile(held + L".held", 20000));
        DeleteFileW((held + L".held").c_str());

        RunSteps(c.Group);
        ASSERT_FALSE(Exists(L"A\\users\\free.dll"));
        size_t before = test::PendingDeletions().size();
        View.Errors.clear();
        Engine->DeleteLockedFiles();
        auto added = NewSince(before);
        Engine->CheckWhatIsLeft();
        const TItemRecord& item = Engine->Records().Items().at(0);

        EXPECT_TRUE(Exists(L"A\\users\\held.dll"));
        auto scheduled = [&](const std::wstring& path) {
            return std::any_of(added.begin(), added.end(), [&](const std::wstring& entry) {
                return CompareStringOrdinal(Strip(entry).c_str(), -1, path.c_str(), -1, TRUE) ==
                       CSTR_EQUAL;
            });
        };
        if (c.Scheduled) {
            EXPECT_TRUE(View.Errors.empty()) << WideToUtf8(View.Errors.front());
            EXPECT_TRUE(scheduled(held));
            EXPECT_TRUE(scheduled(users));
            EXPECT_EQ(FileSystem::UserControlReason(held), L"");
            EXPECT_EQ(ItemAction(item, false), L"scheduled");
            EXPECT_EQ(item.StillThereBecause, L"waits for the restart");
        } else {
            EXPECT_EQ(View.Errors,
                      std::vector<std::wstring>{L"\"" + held +
                                                L"\" is locked and stays: a folder above it can "
                                                L"be changed by users"});
            for (const auto& entry : added)
                EXPECT_NE(Strip(entry).substr(0, users.size()), users) << WideToUtf8(entry);
            EXPECT_TRUE(Traced(L"TMainForm|  reason: \"" + users + L"\" lets S-1-1-0 change it"));
            EXPECT_NE(FileSystem::UserControlReason(users + L"\\keep\\data.txt"), L"")
                << "the users lost their rights";
            // The item that handed the file over failed, and is still there: locked. A tree
            // that also kept an excluded folder failed all the same, and gives no reason for
            // being kept.
            EXPECT_EQ(ItemAction(item, false), L"failed");
            EXPECT_EQ(ItemReason(item), L"");
            EXPECT_EQ(item.Errors, View.Errors);
            EXPECT_EQ(item.AfterRun, L"still there");
            EXPECT_EQ(item.StillThereBecause, L"locked");
        }
        TerminateProcess(holder.Handle(), 0);
        WaitForSingleObject(holder.Handle(), 10000);
        test::LetEveryoneChange(users);
        test::RemoveTree(Root.Path() + L"A");
    }
}

// A running program's file in a folder users may change, in a tree a Folder step removes: the
// file is moved out of their reach and waits for the restart there, its folder, empty then,
// goes at once, and the item's record names the path the system took, not the old one.
TEST_F(StepTest, AMovedFileIsWhatTheRecordSaysWaitsForTheRestart) {
    const std::wstring users = Make(L"A\\users\\");
    const std::wstring program = users + L"running.exe";
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"procs_child.exe").c_str(), program.c_str(), FALSE));
    test::LetEveryoneChange(Root.Path() + L"A\\users");
    const std::wstring other = Make(L"x.txt");
    test::TRunningProcess running(L"\"" + program + L"\" hold \"" + other + L"\"");
    ASSERT_TRUE(test::WaitForFile(other + L".held", 20000));

    RunSteps(L"<Folders><Folder Path=\"" + Root.Path() + L"A\"/></Folders>");
    size_t before = test::PendingDeletions().size();
    Engine->DeleteLockedFiles();
    auto added = NewSince(before);

    EXPECT_TRUE(View.Errors.empty());
    EXPECT_FALSE(Exists(L"A\\users")) << "the emptied folder waits instead of going now";
    ASSERT_FALSE(added.empty());
    const std::wstring moved = added.front();
    EXPECT_NE(moved.find(L"running.exe"), std::wstring::npos) << WideToUtf8(moved);
    const TItemRecord& item = Engine->Records().Items().at(0);
    EXPECT_EQ(std::vector<std::wstring>(item.Scheduled.begin(), item.Scheduled.begin() + 2),
              (std::vector<std::wstring>{moved, Root.Path() + L"A\\"}));
    ExpectRecordAgrees(item, added);
    EXPECT_EQ(ItemAction(item, false), L"scheduled");

    TerminateProcess(running.Handle(), 0);
    WaitForSingleObject(running.Handle(), 10000);
    DeleteFileW(moved.c_str());
    RemoveDirectoryW(moved.substr(0, moved.rfind(L'\\')).c_str());
}

// A running program's file in a folder users may change cannot be deleted but can be moved:
// it goes, through the handle that was checked, into a new folder only administrators may
// change, and that path waits for the restart instead, followed by the folder itself.
TEST(LockedFiles, ARunningProgramBelowAFolderUsersCanChangeIsMovedOutOfTheirReach) {
    test::TTempFolder root;
    const std::wstring users = root.Path() + L"users";
    CreateDirectoryW(users.c_str(), nullptr);
    test::LetEveryoneChange(users);
    const std::wstring program = users + L"\\running.exe";
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"procs_child.exe").c_str(), program.c_str(), FALSE));
    test::WriteTextFile(root.Path() + L"x.txt", "x");
    test::TRunningProcess running(L"\"" + program + L"\" hold \"" + root.Path() + L"x.txt\"");
    ASSERT_TRUE(test::WaitForFile(root.Path() + L"x.txt.held", 20000));
    ASSERT_FALSE(DeleteFileW(program.c_str())) << "a running program's file cannot be deleted";

    size_t before = test::PendingDeletions().size();
    TForm form;
    std::vector<std::wstring> errors;
    TLockedFileEvents events;
    events.Stays = [&](const std::wstring&, const std::wstring& e) {
        errors.push_back(e);
    };
    DeleteLockedFiles(&form, {program}, events);
    auto added = NewSince(before);

    EXPECT_TRUE(errors.empty());
    EXPECT_FALSE(test::FileExists(program)) << "moved away";
    ASSERT_GE(added.size(), 2u);
    const std::wstring moved = added.front();
    const std::wstring folder = moved.substr(0, moved.rfind(L'\\'));
    EXPECT_NE(moved.find(L"running.exe"), std::wstring::npos);
    EXPECT_TRUE(test::FileExists(moved)) << WideToUtf8(moved);
    EXPECT_EQ(FileSystem::UserControlReason(moved), L"");
    EXPECT_TRUE(CompareStringOrdinal(Strip(added.back()).c_str(), -1, folder.c_str(), -1, TRUE) ==
                CSTR_EQUAL)
        << "the folder goes last";
    for (const auto& entry : added)
        EXPECT_NE(Strip(entry).substr(0, users.size()), users) << WideToUtf8(entry);

    TerminateProcess(running.Handle(), 0);
    WaitForSingleObject(running.Handle(), 10000);
    DeleteFileW(moved.c_str());
    RemoveDirectoryW(folder.c_str());
}

} // namespace

namespace {

// A held entry whose name the Win32 layer would rewrite ("a." would become "a"), and one deep
// past 260 characters, wait for the restart under their own names: the restart list names
// those very entries, and the folders above them.
TEST_F(StepTest, AHeldEntryWaitsForTheRestartUnderItsOwnName) {
    const std::wstring top = Root.Path() + L"suite";
    std::wstring deep = top;
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    while (deep.size() < 600) {
        deep += L"\\cache-0123456789abcdefghijklmnopqrstuvwxyz";
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    const std::wstring dotted = top + L"\\a.", held = deep + L"\\held.bin";
    std::vector<std::unique_ptr<test::TRunningProcess>> holders;
    for (const auto& path : {dotted, held}) {
        test::WriteTextFile(L"\\\\?\\" + path, "x");
        holders.push_back(std::make_unique<test::TRunningProcess>(
            L"\"" + test::HelperPath(L"procs_child.exe") + L"\" hold \"\\\\?\\" + path + L"\""));
        ASSERT_TRUE(test::WaitForFile(L"\\\\?\\" + path + L".held", 20000)) << WideToUtf8(path);
    }

    RunSteps(L"<Folders><Folder Path=\"" + top + L"\"/></Folders>");
    EXPECT_TRUE(View.Errors.empty()) << WideToUtf8(View.Errors.front());
    size_t before = test::PendingDeletions().size();
    Engine->DeleteLockedFiles();
    auto added = NewSince(before);

    for (const auto& path : {dotted, held, deep, top})
        EXPECT_NE(std::find(added.begin(), added.end(), path), added.end()) << WideToUtf8(path);
    EXPECT_EQ(std::find(added.begin(), added.end(), top + L"\\a"), added.end())
        << "another name than the entry's";
    ExpectRecordAgrees(Engine->Records().Items().at(0), added);
    for (auto& holder : holders) {
        TerminateProcess(holder->Handle(), 0);
        WaitForSingleObject(holder->Handle(), 10000);
    }
}

} // namespace
