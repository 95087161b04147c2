#include "core/Text.h"

#include <gtest/gtest.h>

namespace {

std::string Shown(const std::wstring& Text) {
    return WideToUtf8(Text);
}

TEST(ParentOf, CutsTheLastNameAndKeepsARootsOwnBackslash) {
    const struct {
        const wchar_t* Path;
        const wchar_t* Parent;
        const wchar_t* Name;
    } cases[] = {
        {L"C:\\a\\b", L"C:\\a", L"b"},
        {L"C:\\a\\b\\", L"C:\\a", L""},
        {L"C:\\a", L"C:\\", L"a"},
        {L"C:\\a\\\\", L"C:\\", L""},
        {L"C:\\", L"", L""},
        {L"C:", L"", L""},
        {L"D:abc", L"D:", L"abc"},
        {L"\\\\srv\\share\\dir", L"\\\\srv\\share", L"dir"},
        {L"\\\\srv\\share", L"", L"share"},
        {L"\\\\srv\\share\\", L"", L""},
        {L"\\\\?\\C:\\a", L"\\\\?\\C:\\", L"a"},
        {L"\\\\?\\C:\\", L"", L""},
        {L"\\\\?\\UNC\\srv\\share\\a", L"\\\\?\\UNC\\srv\\share", L"a"},
        {L"abc", L"", L"abc"},
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParentOf(c.Path), c.Parent) << Shown(c.Path);
        EXPECT_EQ(FileNameOf(c.Path), c.Name) << Shown(c.Path);
    }
}

TEST(WithoutTrailingBackslash, LeavesADriveRootItsOwn) {
    EXPECT_EQ(WithoutTrailingBackslash(L"C:\\a\\\\"), L"C:\\a");
    EXPECT_EQ(WithoutTrailingBackslash(L"C:\\a"), L"C:\\a");
    EXPECT_EQ(WithoutTrailingBackslash(L"C:\\"), L"C:\\");
    EXPECT_EQ(WithoutTrailingBackslash(L"C:\\\\"), L"C:\\");
    EXPECT_EQ(WithoutTrailingBackslash(L""), L"");
}

TEST(PathBelow, NeedsADelimiterAfterTheFolderAndIgnoresLetterCase) {
    const struct {
        const wchar_t* Path;
        const wchar_t* Folder;
        bool Below;
    } cases[] = {
        {L"C:\\a\\b", L"C:\\a", true}, {L"C:\\a\\b", L"C:\\a\\", true},
        {L"c:\\A\\b", L"C:\\a", true}, {L"C:\\a\\b\\c", L"C:\\a", true},
        {L"C:\\ab", L"C:\\a", false},  {L"C:\\ab\\c", L"C:\\a\\", false},
        {L"C:\\a", L"C:\\a", false},   {L"C:\\a\\", L"C:\\a", false},
        {L"C:\\a", L"C:\\a\\", false}, {L"C:\\x", L"C:\\", true},
        {L"C:\\", L"C:\\", false},     {L"D:\\a\\b", L"C:\\a", false},
        {L"C:\\a\\b", L"", false},     {L"\\\\srv\\share\\a", L"\\\\srv\\share", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PathBelow(c.Path, c.Folder), c.Below)
            << Shown(c.Path) << " / " << Shown(c.Folder);
}

TEST(SameText, ComparesOrdinallyWithTheSystemsUpperCase) {
    EXPECT_TRUE(SameText(L"C:\\Program Files", L"c:\\PROGRAM FILES"));
    // Beyond ASCII, as the file system and the registry compare names.
    EXPECT_TRUE(SameText(L"\u00c4RGER", L"\u00e4rger"));
    EXPECT_FALSE(SameText(L"C:\\a", L"C:\\a\\"));
    EXPECT_FALSE(SameText(L"a", L""));
    EXPECT_TRUE(SameText(L"", L""));
    EXPECT_LT(CompareText(L"a", L"B"), 0);
    EXPECT_GT(CompareText(L"b", L"A"), 0);
    EXPECT_EQ(CompareText(L"Wow6432Node", L"WOW6432NODE"), 0);
}

} // namespace
