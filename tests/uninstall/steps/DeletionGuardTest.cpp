// The folder and file steps and the restart list, tried as an attacker would: every protected
// place holds a canary that must survive.
#include "core/Text.h"
#include "env/Variables.h"
#include "support/EnvSupport.h"
#include "support/KnownFolders.h"
#include "sys/files/SystemPath.h"
#include "sys/files/ProtectedFolders.h"
#include "uninstall/steps/LockedFiles.h"
#include "uninstall/steps/StepFixture.h"

#include <shlobj.h>

namespace {

// A file in a place that must survive; removed again when the test ends.
class TCanary {
public:
    explicit TCanary(const std::wstring& Folder)
        : FPath(Folder + L"\\" + test::UniqueName(L"canary-") + L".txt") {
        test::WriteTextFile(FPath, "x");
    }
    ~TCanary() { DeleteFileW(FPath.c_str()); }
    bool Alive() const { return test::FileExists(FPath); }
    const std::wstring& Path() const { return FPath; }

private:
    std::wstring FPath;
};

std::wstring FolderStep(const std::wstring& Path) {
    return L"<Folders><Folder Path=\"" + Path + L"\"/></Folders>";
}

std::wstring FileStep(const std::wstring& Path, const std::wstring& Mask) {
    return L"<Files><File Path=\"" + Path + L"\" Mask=\"" + Mask +
           L"\" Recursive=\"True\"/></Files>";
}

const std::wstring Fixture = L"C:\\guard-fixture\\";

// The CTest fixture guard_link_fixture: suite\{plain\x.txt, dlink -> ..\outside,
// flink -> ..\outside\f.txt, elink -> ..\empty}; outside\{sub\keep.txt, f.txt}; empty\.
bool HaveLinks() {
    return GetFileAttributesW((Fixture + L"suite\\dlink").c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST_F(StepTest, ProtectedFoldersUnderAnySpellingKeepTheirFiles) {
    const std::wstring profile = test::SpecialFolder(CSIDL_PROFILE);
    struct TCase {
        std::wstring StepPath;
        std::wstring CanaryFolder;
    } cases[] = {
        {test::ShortName(test::SpecialFolder(CSIDL_PROGRAM_FILESX86)),
         test::SpecialFolder(CSIDL_PROGRAM_FILESX86)},
        {test::ShortName(test::SpecialFolder(CSIDL_COMMON_APPDATA)),
         test::SpecialFolder(CSIDL_COMMON_APPDATA)},
        {test::WindowsFolder() + L"\\Sysnative", test::WindowsFolder() + L"\\Sysnative"},
        {test::WindowsFolder() + L"\\Fonts", test::WindowsFolder() + L"\\Fonts"},
        {profile + L"\\AppData", profile + L"\\AppData\\Roaming"},
        {test::SpecialFolder(CSIDL_COMMON_APPDATA) + L"\\Microsoft\\Windows",
         test::SpecialFolder(CSIDL_COMMON_STARTMENU)},
        {test::SpecialFolder(CSIDL_PROGRAM_FILES) + L"\\..\\" +
             test::SpecialFolder(CSIDL_PROGRAM_FILES)
                 .substr(test::SpecialFolder(CSIDL_PROGRAM_FILES).rfind(L'\\') + 1),
         test::SpecialFolder(CSIDL_PROGRAM_FILES)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.StepPath));
        TCanary canary(c.CanaryFolder);
        View.Errors.clear();
        RunSteps(FolderStep(Escape(c.StepPath)));
        EXPECT_TRUE(canary.Alive());
        EXPECT_TRUE(Locked().empty());
        ASSERT_EQ(View.Errors.size(), 1u);
        EXPECT_EQ(View.Errors[0].rfind(L"Folder \"" + c.StepPath + L"\" is not deleted (", 0), 0u)
            << WideToUtf8(View.Errors[0]);
    }
}

TEST_F(StepTest, FileStepsThatWouldEmptyASystemFolderSearchNothing) {
    TCanary data(test::SpecialFolder(CSIDL_COMMON_APPDATA));
    TCanary documents(test::SpecialFolder(CSIDL_COMMON_DOCUMENTS));
    RunSteps(FileStep(test::SpecialFolder(CSIDL_COMMON_APPDATA), L"*") +
             FileStep(test::SpecialFolder(CSIDL_COMMON_DOCUMENTS), L"*.*") +
             FileStep(L"", L"*.txt") + FileStep(test::UniqueName(L"no-such-folder-"), L"kv_*.*"));
    EXPECT_TRUE(data.Alive());
    EXPECT_TRUE(documents.Alive());
    // A relative path that names no folder (as a variable the expansion does not know) has
    // nothing to search: no error line.
    ASSERT_EQ(View.Errors.size(), 3u) << testing::PrintToString(View.Errors);
    for (const auto& error : View.Errors)
        EXPECT_EQ(error.rfind(L"File \"", 0), 0u) << WideToUtf8(error);
}

TEST_F(StepTest, LinksAreRemovedAtMostAndTheirTargetsStayWhole) {
    if (!HaveLinks())
        GTEST_FAIL() << "the link fixture the set-up made is gone: a step walked into it";
    const std::wstring dlink = Fixture + L"suite\\dlink";
    // Given with a trailing backslash, as a path through the link, as a File step's folder,
    // and as a tree that holds links to a folder, a file and an empty folder.
    RunSteps(FolderStep(dlink + L"\\") + FolderStep(dlink + L"\\sub") + FileStep(dlink, L"*.txt") +
             FolderStep(Fixture + L"suite"));

    EXPECT_TRUE(test::FileExists(Fixture + L"outside\\sub\\keep.txt"));
    EXPECT_TRUE(test::FileExists(Fixture + L"outside\\f.txt"));
    EXPECT_TRUE(test::FileExists(Fixture + L"empty"));
    EXPECT_FALSE(test::FileExists(Fixture + L"suite\\plain"));
    // The links stay in place and none waits for the restart: only the folder holding them.
    EXPECT_EQ(Locked(), std::vector<std::wstring>{Fixture + L"suite\\"});
    std::vector<std::wstring> expected = {
        L"Link \"" + dlink + L"\\\" is not deleted",
        L"Folder \"" + dlink + L"\\sub\" is not deleted (the path passes through a link)",
        L"File \"" + dlink + L"\\\" is not deleted (the path is a link)"};
    ASSERT_GE(View.Errors.size(), expected.size() + 3) << testing::PrintToString(View.Errors);
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(View.Errors[i].rfind(expected[i], 0), 0u) << WideToUtf8(View.Errors[i]);
}

// The user's own setting of a shell folder, which unelevated code of the user can change,
// for as long as the object lives; then the value is put back.
class TUserShellFolder {
public:
    TUserShellFolder(const wchar_t* Value, const std::wstring& Folder) : FValue(Value) {
        FOld = test::ReadRegString(HKEY_CURRENT_USER, Key, FValue);
        test::WriteRegString(HKEY_CURRENT_USER, Key, FValue, Folder, 0, REG_EXPAND_SZ);
    }
    ~TUserShellFolder() {
        test::WriteRegString(HKEY_CURRENT_USER, Key, FValue, FOld, 0, REG_EXPAND_SZ);
    }
    TUserShellFolder(const TUserShellFolder&) = delete;
    TUserShellFolder& operator=(const TUserShellFolder&) = delete;

private:
    static constexpr const wchar_t* Key =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    const wchar_t* FValue;
    std::wstring FOld;
};

// A user's desktop pointed at another product's folder below Program Files: the Folder and
// File steps that name the user's desktop delete nothing there, each with an error line.
TEST_F(StepTest, AUserShellFolderOutsideTheProfileIsNotUsed) {
    const std::wstring other =
        TSystemPath::GetPgmFilesPath() + test::UniqueName(L"NrvTest-Other-") + L"\\";
    ASSERT_TRUE(CreateDirectoryW(other.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((other + L"Suite").c_str(), nullptr));
    TCanary inFolder(other + L"Suite");
    TCanary besideIt(other);
    {
        TUserShellFolder desktop(L"Desktop", other);
        ASSERT_EQ(TSystemPath::GetDesktopPath(false), other) << "the user's setting is not used";
        RunSteps(FolderStep(L"%Path.UserDesktop%Suite") +
                 FileStep(L"%Path.UserDesktop%", L"*.txt"));
    }
    EXPECT_TRUE(inFolder.Alive());
    EXPECT_TRUE(besideIt.Alive());
    const std::wstring why = L"%Path.UserDesktop% is \"" + other +
                             L"\", outside the user's profile \"" +
                             TSystemPath::GetSpecialFolderPath(CSIDL_PROFILE) + L"\")";
    EXPECT_EQ(View.Errors, (std::vector<std::wstring>{
                               L"Folder \"%Path.UserDesktop%Suite\" is not deleted (" + why,
                               L"File \"%Path.UserDesktop%\" is not deleted (" + why}));

    // Back inside the profile, where it belongs, the desktop is used as before.
    EXPECT_EQ(GetVariables().UserFolderRefusal(L"%Path.UserDesktop%Suite"), L"");
    EXPECT_EQ(GetVariables().UserFolderRefusal(L"%path.userstartmenu%Suite"), L"");
    test::RemoveTree(other);
}

TEST_F(StepTest, TheRestartListNeverSchedulesAProtectedFolder) {
    const std::wstring name = test::UniqueName(L"suite-");
    struct TPlace {
        std::wstring Spelled; // the folder as a script could spell it
        std::wstring Real;
    } places[] = {
        {test::ShortName(test::SpecialFolder(CSIDL_PROGRAM_FILESX86)),
         test::SpecialFolder(CSIDL_PROGRAM_FILESX86)},
        {test::WindowsFolder() + L"\\Sysnative", test::WindowsFolder() + L"\\Sysnative"},
        {test::SpecialFolder(CSIDL_PROFILE) + L"\\AppData\\Roaming",
         test::SpecialFolder(CSIDL_APPDATA)},
    };
    std::vector<std::wstring> locked;
    for (const auto& place : places) {
        ASSERT_TRUE(CreateDirectoryW((place.Real + L"\\" + name).c_str(), nullptr));
        test::WriteTextFile(place.Real + L"\\" + name + L"\\f.dll", "x");
        locked.push_back(place.Spelled + L"\\" + name + L"\\f.dll");
    }
    locked.push_back(L"\\\\?\\" + Root.Path() + L"f.dll");
    const size_t before = test::PendingDeletions().size();

    RunSteps(L"");
    for (const auto& entry : locked)
        Engine->AddLockedFile(entry);
    Engine->DeleteLockedFiles(); // must end, also on the "\\?\" form

    auto all = test::PendingDeletions();
    ASSERT_GT(all.size(), before);
    for (size_t i = before; i < all.size(); ++i)
        EXPECT_NE(all[i].find(name), std::wstring::npos)
            << "only the suite's own entries may be scheduled: " << WideToUtf8(all[i]);
    for (const auto& place : places)
        test::RemoveTree(place.Real + L"\\" + name);
}

} // namespace
