// Shell links written and read through Wine's own shell link object.
#include "core/Text.h"
#include "support/TestSupport.h"
#include "sys/com/ComInit.h"
#include "sys/com/ShortcutLink.h"

#include <gtest/gtest.h>
#include <knownfolders.h>
#include <shlobj.h>

namespace {

class ShortcutLinkTest : public testing::Test {
protected:
    // A link at Root\Name to Target with Arguments, written through the wide interface.
    std::wstring WriteLink(const std::wstring& Name, const std::wstring& Target,
                           const std::wstring& Arguments = L"") {
        TShortcutLink link;
        link.ShortcutFile = Root.Path() + Name;
        link.Target = Target;
        link.Arguments = Arguments;
        link.WorkingDir = Root.Path().substr(0, Root.Path().size() - 1);
        link.Description = L"a test link";
        link.Write();
        return link.ShortcutFile;
    }
    std::wstring MakeFile(const std::wstring& Name) {
        test::WriteTextFile(Root.Path() + Name, "x");
        return Root.Path() + Name;
    }
    static TShortcutLink ReadLink(const std::wstring& File) {
        TShortcutLink link;
        link.ShortcutFile = File;
        link.Read();
        return link;
    }

    TComInit Com;
    test::TTempFolder Root;
};

TEST_F(ShortcutLinkTest, ALinkToAnExistingFileReadsBackItsData) {
    std::wstring target = MakeFile(L"browser.exe");
    TShortcutLink link =
        ReadLink(WriteLink(L"Portal.lnk", target, L"https://portal.velmarix.com/"));
    EXPECT_EQ(link.Target, target);
    EXPECT_EQ(link.Arguments, L"https://portal.velmarix.com/");
    EXPECT_EQ(link.WorkingDir, Root.Path().substr(0, Root.Path().size() - 1));
    EXPECT_EQ(link.Description, L"a test link");
    // No hot key reads as a blank; the usual show code 1 as the normal window.
    EXPECT_EQ(link.HotKey(), L" ");
    EXPECT_EQ(link.RawShowCmd(), SW_SHOWNORMAL);
    EXPECT_EQ(link.ShowCmd(), TShowCmd::scShowNormal);
}

// Through the ANSI interface such a name, target and argument come back with "?" in place of
// the characters outside the code page: the target no longer exists and nothing matches.
TEST_F(ShortcutLinkTest, NamesTargetsAndArgumentsOutsideTheAnsiCodePageReadAsWritten) {
    std::wstring target = MakeFile(L"\u041f\u043e\u0440\u0442\u0430\u043b \u03a9.exe");
    TShortcutLink link = ReadLink(WriteLink(L"\u5feb\u6377.lnk", target, L"--\u0436 \u4e2d"));
    EXPECT_EQ(link.Target, target);
    EXPECT_EQ(link.Arguments, L"--\u0436 \u4e2d");
}

TEST_F(ShortcutLinkTest, TheHotKeyIsWrittenWithItsModifiersAndReadBack) {
    std::wstring target = MakeFile(L"tool.exe");
    TShortcutLink written;
    written.ShortcutFile = Root.Path() + L"keys.lnk";
    written.Target = target;
    written.SetHotKey(L"q");
    EXPECT_EQ(written.HotKey(), L"Q");
    written.Write();

    TShortcutLink link = ReadLink(written.ShortcutFile);
    // Stored with Ctrl+Alt in the high byte, as Write sets it.
    EXPECT_EQ(link.HotKey(), std::wstring(1, static_cast<wchar_t>(L'Q' | 0x600)));
}

TEST_F(ShortcutLinkTest, AFileThatIsNoLinkCannotBeOpened) {
    for (const std::wstring& file :
         {MakeFile(L"damaged.lnk"), Root.Path() + L"missing.lnk", Root.Path()}) {
        TShortcutLink link;
        link.ShortcutFile = file;
        try {
            link.Read();
            ADD_FAILURE() << "no error for " << WideToUtf8(file);
        } catch (const EShortcutError& e) {
            EXPECT_EQ(ExceptionMessage(e), L"Unable to open link file");
        }
    }
}

TEST_F(ShortcutLinkTest, AFailedSaveRaises) {
    TShortcutLink link;
    link.ShortcutFile = Root.Path() + L"no-such-folder\\x.lnk";
    link.Target = MakeFile(L"t.exe");
    try {
        link.Write();
        ADD_FAILURE() << "no error";
    } catch (const EShortcutError& e) {
        EXPECT_EQ(ExceptionMessage(e), L"Unable to create .lnk file");
    }
}

// Each property names the folder the shell knows by that name, asked through the known-folder
// interface rather than the folder ids the properties use.
TEST_F(ShortcutLinkTest, TheFolderPropertiesNameTheShellFolders) {
    TShortcutLink link;
    const std::pair<std::wstring, REFKNOWNFOLDERID> cases[] = {
        {link.DesktopFolder(), FOLDERID_Desktop},
        {link.ProgramsFolder(), FOLDERID_Programs},
        {link.StartFolder(), FOLDERID_StartMenu},
        {link.StartupFolder(), FOLDERID_Startup},
    };
    for (const auto& [folder, id] : cases) {
        PWSTR known = nullptr;
        ASSERT_EQ(SHGetKnownFolderPath(id, 0, nullptr, &known), S_OK);
        const std::wstring expected(known);
        CoTaskMemFree(known);
        EXPECT_EQ(CompareStringOrdinal(folder.c_str(), -1, expected.c_str(), -1, TRUE), CSTR_EQUAL)
            << WideToUtf8(folder) << " is not " << WideToUtf8(expected);
    }
}

} // namespace
