#include "core/Exception.h"
#include "support/EnvTraceSupport.h"
#include "support/TestSupport.h"
#include "sys/processes/Computer.h"
#include "sys/shared/Procs.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

using test::TTraceLine;

class Procs : public test::TTracedTest {};

TEST_F(Procs, DoExceptionTracesAnErrorLineWithoutSenderThenRaises) {
    try {
        DoException(L"Uninstall Service failed (%s)", {L"gone"});
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Uninstall Service failed (gone)");
    }
    EXPECT_EQ(Trace(), (std::vector<TTraceLine>{
                           {NXLL_ERROR, L"", L"DoException: Uninstall Service failed (gone)"}}));
}

TEST_F(Procs, DoExceptionUsesAFormatThatDoesNotFitAsItStands) {
    try {
        DoException(L"Command \"%s\" failed (rc=%d)", {L"x", L"not a number"});
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Command \"%s\" failed (rc=%d)");
    }
    ASSERT_EQ(ErrorLines().size(), 1u);
    EXPECT_EQ(ErrorLines()[0].Text, L"DoException: Command \"%s\" failed (rc=%d)");
}

// The message table's text loses its last two characters, the line break on Windows.
TEST(ErrorTexts, LastErrorTextGivesSystemTextAndCodeOrTheCodeAlone) {
    wchar_t raw[1025] = {};
    ASSERT_GT(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_NOT_FOUND, 0, raw,
                             1025, nullptr),
              2u);
    std::wstring expected = std::wstring(raw, wcslen(raw) - 2) + L" (0x2)";
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(LastErrorText(), expected);

    SetLastError(0x1ABC);
    EXPECT_EQ(LastErrorText(), L"0x1ABC");
    SetLastError(0xC0DE);
    EXPECT_EQ(LastErrorText(), L"0xC0DE");
}

TEST(ErrorTexts, SystemErrorTextDropsTrailingStopsAndBlanks) {
    std::wstring text = SystemErrorText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), L'.');
    EXPECT_GT(text.back(), L' ');
    EXPECT_EQ(SystemErrorText(0x1ABC), L"");
}

TEST(TextIsTrue, OnlyTrueInAnyAsciiCase) {
    for (const wchar_t* yes : {L"True", L"true", L"TRUE", L"tRuE"})
        EXPECT_TRUE(TextIsTrue(yes)) << yes;
    for (const wchar_t* no : {L"True ", L" true", L"1", L"yes", L"", L"False"})
        EXPECT_FALSE(TextIsTrue(no)) << no;
}

TEST_F(Procs, StrToHKeyKnowsThreeRootsAndTracesTheRest) {
    struct {
        const wchar_t* Name;
        HKEY Key;
    } cases[] = {
        {L"HKCR", HKEY_CLASSES_ROOT},  {L"hkey_classes_root", HKEY_CLASSES_ROOT},
        {L"hklm", HKEY_LOCAL_MACHINE}, {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HkCu", HKEY_CURRENT_USER},  {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrToHKey(c.Name), c.Key) << c.Name;
    EXPECT_TRUE(Trace().empty());

    try {
        StrToHKey(L"HKEY_USERS");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"StrToHKey(\"HKEY_USERS\") failed (unknown key)");
    }
    EXPECT_EQ(ErrorLines(), (std::vector<TTraceLine>{
                                {NXLL_ERROR, L"",
                                 L"DoException: StrToHKey(\"HKEY_USERS\") failed (unknown key)"}}));
}

TEST_F(Procs, HKeyToStrNamesFiveRootsAndRaisesUntracedForOthers) {
    EXPECT_EQ(HKeyToStr(HKEY_CLASSES_ROOT), L"HKEY_CLASSES_ROOT");
    EXPECT_EQ(HKeyToStr(HKEY_CURRENT_USER), L"HKEY_CURRENT_USER");
    EXPECT_EQ(HKeyToStr(HKEY_LOCAL_MACHINE), L"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(HKeyToStr(HKEY_USERS), L"HKEY_USERS");
    EXPECT_EQ(HKeyToStr(HKEY_CURRENT_CONFIG), L"HKEY_CURRENT_CONFIG");
    try {
        HKeyToStr(HKEY_PERFORMANCE_DATA);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"HKeyToStr failed");
    }
    EXPECT_TRUE(Trace().empty());
}

TEST(FetchStr, ABlankSplitsAnUnquotedImagePath) {
    std::wstring image = L"C:\\Program Files\\App\\svc.exe -k";
    EXPECT_EQ(FetchStr(image, L' '), L"C:\\Program");
    EXPECT_EQ(image, L"Files\\App\\svc.exe -k");
    EXPECT_EQ(FetchStr(image, L' '), L"Files\\App\\svc.exe");
    EXPECT_EQ(image, L"-k");
    EXPECT_EQ(FetchStr(image, L' '), L"-k");
    EXPECT_EQ(image, L"");
}

TEST(ParentFolder, WalksUpToTheDriveRoot) {
    struct {
        const wchar_t* Path;
        const wchar_t* Parent;
    } cases[] = {
        {L"C:\\A\\B\\", L"C:\\A\\"},
        {L"C:\\A\\B", L"C:\\A\\"},
        {L"C:\\A", L"C:\\"},
        {L"C:\\", L"C:\\"},
        {L"C:", L"C:"},
        {L"\\\\srv\\share\\dir", L"\\\\srv\\share\\"},
        {L"\\\\srv\\share", L"\\\\srv\\share\\"},
        {L"abcd", L"\\"},
        {L"D:abc", L"D:\\"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParentFolder(c.Path), c.Parent) << c.Path;
}

TEST(ComputerName, IsTheNetBiosNameForBothRoutines) {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(name, &size));
    EXPECT_EQ(ComputerName(), name);
    EXPECT_EQ(TComputer::GetComputerName(), name);
}

TEST(IsServerEngine, LooksForServerEngineInTheWholeCommandLine) {
    EXPECT_FALSE(IsServerEngine());
    std::wstring child = L"\"" + test::HelperPath(L"procs_child.exe") + L"\" isserver ";
    EXPECT_EQ(test::Run(child + L"C:\\Suite\\SERVER.ENGINE.exe").ExitCode, 1u);
    EXPECT_EQ(test::Run(child + L"C:\\Suite\\server.Engine").ExitCode, 1u);
    EXPECT_EQ(test::Run(child + L"C:\\Suite\\server_engine.exe").ExitCode, 0u);
}

} // namespace
