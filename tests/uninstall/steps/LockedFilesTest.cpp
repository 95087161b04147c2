#include "core/Handle.h"
#include "core/Text.h"
#include "support/EnvSupport.h"
#include "support/TestSupport.h"
#include "uninstall/steps/LockedFiles.h"
#include "uninstall/steps/StepFixture.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>

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
    const std::vector<std::wstring> expected = {held, Strip(Root.Path() + L"A\\"),
                                                Strip(Root.Path())};
    ASSERT_GE(added.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(CompareStringOrdinal(Strip(added[i]).c_str(), -1, expected[i].c_str(), -1,
                                         TRUE) == CSTR_EQUAL)
            << i << " " << WideToUtf8(added[i]);
}

} // namespace
