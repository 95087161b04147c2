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

// The deletions the system will carry out at its next start, in order.
std::vector<std::wstring> PendingDeletions() {
    TRegKey key;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                  KEY_READ, key.Put());
    DWORD bytes = 0;
    if (RegQueryValueExW(key.Get(), L"PendingFileRenameOperations", nullptr, nullptr, nullptr,
                         &bytes) != ERROR_SUCCESS)
        return {};
    std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
    RegQueryValueExW(key.Get(), L"PendingFileRenameOperations", nullptr, nullptr,
                     reinterpret_cast<BYTE*>(data.data()), &bytes);
    // Pairs of source and target; an empty target means deletion.
    std::vector<std::wstring> items, deletions;
    for (size_t pos = 0; pos < bytes / sizeof(wchar_t);) {
        std::wstring item(data.c_str() + pos);
        items.push_back(item);
        pos += item.size() + 1;
    }
    for (size_t i = 0; i + 1 < items.size(); i += 2)
        if (items[i + 1].empty() && !items[i].empty())
            deletions.push_back(items[i].rfind(L"\\??\\", 0) == 0 ? items[i].substr(4) : items[i]);
    return deletions;
}

std::vector<std::wstring> NewSince(size_t Before) {
    auto all = PendingDeletions();
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

    size_t before = PendingDeletions().size();
    TForm form;
    DeleteLockedFiles(&form, {f, g});
    auto added = NewSince(before);

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
    size_t before = PendingDeletions().size();
    TForm form;
    DeleteLockedFiles(&form, {link, L"C:\\f.dll"});
    auto added = NewSince(before);
    EXPECT_EQ(added.size(), 2u) << "only the two files themselves";
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

    size_t before = PendingDeletions().size();
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
