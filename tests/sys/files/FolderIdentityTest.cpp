// The deletion guard judges what a path names, not how it is spelled.
#include "support/KnownFolders.h"
#include "support/TestSupport.h"
#include "sys/files/FileEntry.h"
#include "sys/files/ProtectedFolders.h"

#include <gtest/gtest.h>
#include <shlobj.h>

namespace {

// The links the CTest fixture guard_link_fixture made from the Linux side:
// C:\guard-fixture\suite\{dlink -> ..\outside, flink -> ..\outside\f.txt, elink -> ..\empty}.
const std::wstring Fixture = L"C:\\guard-fixture\\";

bool HaveLinks() {
    return GetFileAttributesW((Fixture + L"suite\\dlink").c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(FolderIdentity, SpellingsOfProtectedFoldersAreRefused) {
    const std::wstring programsX86 = test::SpecialFolder(CSIDL_PROGRAM_FILESX86);
    const std::wstring profile = test::SpecialFolder(CSIDL_PROFILE);
    struct TCase {
        std::wstring Path;
        const wchar_t* Reason;
    } cases[] = {
        {test::ShortName(programsX86), L"the path is a system folder"},
        {test::ShortName(test::SpecialFolder(CSIDL_COMMON_APPDATA)),
         L"the path is a system folder"},
        {test::WindowsFolder() + L"\\Sysnative", L"the path is a system folder"},
        {test::WindowsFolder() + L"\\Fonts", L"the path is a system folder"},
        {test::WindowsFolder() + L"\\Fonts\\..\\Fonts\\.", L"the path is a system folder"},
        {test::WindowsFolder() + L"\\Help", L"the path is inside the Windows folder"},
        {test::SpecialFolder(CSIDL_SYSTEM) + L"\\drivers",
         L"the path is inside the Windows folder"},
        {profile + L"\\AppData", L"the path is a system folder"},
        {profile + L"\\AppData\\LocalLow", L"the path is a system folder"},
        {test::SpecialFolder(CSIDL_COMMON_APPDATA) + L"\\Microsoft\\Windows",
         L"the path contains a system folder"},
        {test::SpecialFolder(CSIDL_PROGRAM_FILES_COMMON), L"the path is a system folder"},
        {test::SpecialFolder(CSIDL_PROGRAM_FILES_COMMONX86), L"the path is a system folder"},
        {L"C:\\.", L"the path is a drive root"},
        {L"\\\\?\\C:\\Suite", L"the path is not absolute"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProtectedFolderReason(c.Path), c.Reason) << testing::PrintToString(c.Path);
}

TEST(FolderIdentity, ThePlacesBelowStayAllowed) {
    test::TTempFolder temp;
    CreateDirectoryW((temp.Path() + L"Suite").c_str(), nullptr);
    for (const std::wstring& path :
         {temp.Path() + L"Suite", test::ShortName(temp.Path() + L"Suite"),
          test::SpecialFolder(CSIDL_PROFILE) + L"\\AppData\\Roaming\\Talveno",
          test::SpecialFolder(CSIDL_PROGRAM_FILESX86) + L"\\Talveno"})
        EXPECT_EQ(ProtectedFolderReason(path), L"") << testing::PrintToString(path);
}

TEST(FolderIdentity, LinksAreSeenThroughWhateverTheSpelling) {
    if (!HaveLinks())
        GTEST_FAIL() << "the link fixture the set-up made is gone: a step walked into it";
    for (const std::wstring& path :
         {Fixture + L"suite\\dlink\\sub", Fixture + L"suite\\dlink\\sub\\"})
        EXPECT_EQ(ProtectedFolderReason(path), L"the path passes through a link")
            << testing::PrintToString(path);
    for (const std::wstring& path : {Fixture + L"suite\\dlink", Fixture + L"suite\\dlink\\"}) {
        FileSystem::TEntryHandle link(path, false);
        ASSERT_TRUE(link.Valid());
        EXPECT_FALSE(link.IsPlain(FileSystem::ResolvedSpelling(path)))
            << "a link that the platform opens as its target must not pass for a folder: "
            << testing::PrintToString(path);
    }
    FileSystem::TEntryHandle fileLink(Fixture + L"suite\\flink", false);
    EXPECT_FALSE(fileLink.IsPlain(Fixture + L"suite\\flink"));
    FileSystem::TEntryHandle plain(Fixture + L"outside\\f.txt", false);
    EXPECT_TRUE(plain.IsPlain(Fixture + L"outside\\f.txt"));
}

TEST(FolderIdentity, FileSearchesThatWouldEmptyASystemFolderAreRefused) {
    struct TCase {
        std::wstring Path;
        const wchar_t* Mask;
        bool Refused;
    } cases[] = {
        {test::SpecialFolder(CSIDL_COMMON_APPDATA), L"*", true},
        {test::SpecialFolder(CSIDL_COMMON_DOCUMENTS), L"*.*", true},
        {test::SpecialFolder(CSIDL_PROGRAM_FILES), L"*.*", true},
        {L"C:\\", L"*", true},
        {L"", L"Norva*.lnk", true},
        {L"%Esd.LPDir%", L"*.dll", true},
        {test::SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY), L"*Norva*.lnk", false},
        {L"C:\\", L"InMailSrv.*", false},
        {test::SpecialFolder(CSIDL_SYSTEM), L"kv_*.*", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!FileSearchReason(c.Path, c.Mask).empty(), c.Refused)
            << testing::PrintToString(c.Path) << " " << testing::PrintToString(c.Mask) << ": "
            << testing::PrintToString(FileSearchReason(c.Path, c.Mask));
}

} // namespace
