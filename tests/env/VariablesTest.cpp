#include "EnvFixture.h"
#include "core/Text.h"
#include "env/Settings.h"
#include "env/Variables.h"
#include "support/KnownFolders.h"
#include "support/TestSupport.h"
#include "sys/files/SystemPath.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using test::TTraceLine;

// Settings every expansion needs, and ESD values loaded afresh.
class Variables : public TEnvTest {
protected:
    void SetUp() override {
        TEnvTest::SetUp();
        Product(L"Install.Path", L"C:\\Suite");
        Product(L"Cache.Folder", L"Cache");
        Product(L"Error.Folder", L"Errors");
        GetVariables();
        ClearTrace();
    }
    void LoadEsd() {
        GetVariables().Reload();
        ClearTrace();
    }
    static std::wstring Replace(const std::wstring& s) { return GetVariables().Replace(s); }
};

TEST_F(Variables, ATextWithoutPercentIsLeftAloneAndNothingIsRead) {
    test::DeleteRegTree(HKEY_LOCAL_MACHINE, ProductKey); // would fail any real expansion
    EXPECT_EQ(Replace(L"C:\\Program Files\\App"), L"C:\\Program Files\\App");
    EXPECT_EQ(Replace(L""), L"");
    EXPECT_TRUE(Trace().empty());
}

TEST_F(Variables, ATextWithAPercentButNoVariableRunsTheWholePass) {
    Esd(L"LPDir", L"D:\\Suite\\LP");
    LoadEsd();
    EXPECT_EQ(Replace(L"50% done"), L"50% done");
    EXPECT_EQ(Trace(),
              (std::vector<TTraceLine>{
                  {NXLL_INFO, L"TNorvaVariables", L"Replace(50% done)"},
                  {NXLL_INFO, L"TNorvaVariables", L"ReplaceEsd(50% done)"},
                  {NXLL_INFO, L"TNorvaVariables", L"ReplaceEsd(50% done) ==> \"50% done\""},
                  {NXLL_INFO, L"TNorvaVariables", L"  ==> 50% done"},
              }));
}

TEST_F(Variables, EsdVariablesMatchInAnyCaseAndAreInsertedAsStored) {
    Esd(L"LPDir", L"D:\\Suite\\LP");
    Esd(L"LPCDir", L"D:\\Suite\\LPC\\");
    EsdDecoy(L"LPDir", L"X:\\Decoy");
    EsdDecoy(L"Other", L"X:\\Decoy");
    LoadEsd();
    struct {
        const wchar_t* Text;
        const wchar_t* Expected;
    } cases[] = {
        {L"%esd.LPDir%", L"D:\\Suite\\LP"},
        {L"%Esd.LPDir%", L"D:\\Suite\\LP"},
        {L"%ESD.LPDIR%\\System", L"D:\\Suite\\LP\\System"},
        {L"%Esd.LPCDir%\\System", L"D:\\Suite\\LPC\\\\System"},
        {L"%Esd.Other%", L"%Esd.Other%"}, // only in the 64-bit view
        {L"%Path.WinSysDir%", L"%Path.WinSysDir%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Replace(c.Text), c.Expected) << c.Text;
}

TEST_F(Variables, AliasesAddTheirDelimiter) {
    Esd(L"LPDir", L"D:\\LP");
    Esd(L"LDDir", L"D:\\LD\\");
    Esd(L"SrcDir", L"D:/Src/");
    LoadEsd();
    struct {
        const wchar_t* Text;
        const wchar_t* Expected;
    } cases[] = {
        {L"%lpdir\\bin", L"D:\\LP\\bin"},
        {L"%LOCAL_PGM_COMMON\\bin", L"D:\\LP\\bin"},
        {L"%local_pgm\\bin", L"D:\\LP\\Velmarix\\bin"},
        {L"%lddir\\x", L"D:\\LD\\x"},
        {L"%local_data\\x", L"D:\\LD\\x"},
        {L"%srcdir\\x", L"D:/Src/\\x"},
        {L"%velxpkg\\x", L"D:/Src/\\x"},
        {L"%lpdir", L"%lpdir"}, // the alias holds its backslash
    };
    for (const auto& c : cases)
        EXPECT_EQ(Replace(c.Text), c.Expected) << c.Text;
}

TEST_F(Variables, AMissingEsdKeyLeavesVariablesAndEmptiesAliases) {
    LoadEsd();
    EXPECT_EQ(Replace(L"%Esd.LPDir%"), L"%Esd.LPDir%");
    EXPECT_EQ(Replace(L"%lpdir\\bin"), L"\\bin");
    EXPECT_EQ(Replace(L"%local_pgm\\bin"), L"\\Velmarix\\bin");
    // Every expansion tries the key again.
    std::vector<TTraceLine> trace = Trace();
    TTraceLine failed{NXLL_INFO, L"",
                      L"Open registry key \"Software\\Velmarix\\Services\\Esd\\Settings\" failed"};
    EXPECT_EQ(std::count(trace.begin(), trace.end(), failed), 3);
    Esd(L"LPDir", L"D:\\LP");
    EXPECT_EQ(Replace(L"%Esd.LPDir%"), L"D:\\LP");
}

TEST_F(Variables, EsdLinesOfTheKeyAsListed) {
    Esd(L"First", L"%esd.Second%\\a");
    Esd(L"Second", L"D:\\Two");
    Esd(L"Third", L"%Path.Temp%");
    Esd(L" Padded ", L"D:\\Pad");
    Esd(L"Empty", L"");
    LoadEsd();
    // An earlier value holding a later variable is expanded; a folder variable is not.
    EXPECT_EQ(Replace(L"%esd.First%"), L"D:\\Two\\a");
    EXPECT_EQ(Replace(L"%esd.Third%"), L"%Path.Temp%");
    EXPECT_EQ(Replace(L"%esd.Padded%"), L"D:\\Pad");
    EXPECT_EQ(Replace(L"%esd.Empty%"), L"%esd.Empty%");
}

TEST_F(Variables, LoadEsdSettingsTracesItsCounts) {
    Esd(L"LPDir", L"D:\\LP");
    Esd(L"Empty", L"");
    GetVariables().Reload();
    EXPECT_EQ(Trace(), (std::vector<TTraceLine>{
                           {NXLL_INFO, L"TNorvaVariables", L"Reload()"},
                           {NXLL_INFO, L"TNorvaVariables", L"LoadEsdSettings"},
                           {NXLL_INFO, L"TNorvaVariables", L"  GetValueNames()"},
                           {NXLL_INFO, L"TNorvaVariables", L"    ==> Count = 2"},
                           {NXLL_INFO, L"TNorvaVariables", L"  LoadEsdSettings count = 1"},
                       }));
}

// The lines read before the bad value stay, and a list that is not empty is not read again.
TEST_F(Variables, AnEsdValueOfAnotherTypeFailsTheExpansionOnce) {
    LoadEsd();
    Esd(L"A", L"D:\\A");
    test::WriteRegDword(HKEY_LOCAL_MACHINE, EsdKey, L"Bad", 1);
    Esd(L"Z", L"D:\\Z");
    try {
        Replace(L"%esd.A%");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Invalid data type for 'Bad'");
    }
    EXPECT_EQ(Replace(L"%esd.A%|%esd.Z%"), L"D:\\A|%esd.Z%");
}

TEST_F(Variables, FoldersInAnyCaseWithTheirBackslash) {
    LoadEsd();
    EXPECT_EQ(Replace(L"%pATH.sYSTEM%"), TSystemPath::GetSystemPath());
    EXPECT_EQ(Replace(L"%Path.PgmFiles%\\App"), TSystemPath::GetPgmFilesPath() + L"\\App");
    EXPECT_EQ(Replace(L"%Path.CommonDesktop%"), TSystemPath::GetDesktopPath(true));
    EXPECT_EQ(Replace(L"%Path.UserDesktop%"), TSystemPath::GetDesktopPath(false));
    EXPECT_EQ(Replace(L"%Path.Temp%|%Path.Temporary%"),
              TSystemPath::GetTemporaryPath() + L"|" + TSystemPath::GetTemporaryPath());
    EXPECT_EQ(Replace(L"%Path.Font%"), TSystemPath::GetWindowsPath() + L"Fonts\\");
}

// Every folder variable against the folder the platform gives: the temporary folder as
// GetTempPathW gives it, every other one asked by known folder id.
TEST_F(Variables, EveryFolderVariableGivesItsFolderWithOneBackslash) {
    LoadEsd();
    auto known = [](REFKNOWNFOLDERID Id) {
        std::wstring folder = test::KnownFolder(Id);
        return folder.empty() ? folder : folder + L"\\";
    };
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp); // with its backslash
    const struct {
        const wchar_t* Variable;
        std::wstring Folder;
    } rows[] = {
        {L"%Path.Temporary%", temp},
        {L"%Path.Temp%", temp},
        {L"%Path.Windows%", known(FOLDERID_Windows)},
        {L"%Path.System%", known(FOLDERID_System)},
        {L"%Path.Font%", known(FOLDERID_Fonts)},
        {L"%Path.PgmFiles%", known(FOLDERID_ProgramFiles)},
        {L"%Path.CommonDesktop%", known(FOLDERID_PublicDesktop)},
        {L"%Path.CommonStartMenu%", known(FOLDERID_CommonStartMenu)},
        {L"%Path.CommonStartPrograms%", known(FOLDERID_CommonPrograms)},
        {L"%Path.CommonStartUp%", known(FOLDERID_CommonStartup)},
        {L"%Path.UserStartUp%", known(FOLDERID_Startup)},
        {L"%Path.UserDesktop%", known(FOLDERID_Desktop)},
        {L"%Path.UserStartMenu%", known(FOLDERID_StartMenu)},
        {L"%Path.UserStartPrograms%", known(FOLDERID_Programs)},
    };
    for (const auto& row : rows) {
        ASSERT_GT(row.Folder.size(), 3u) << row.Variable << ": the platform names no folder";
        EXPECT_EQ(Replace(row.Variable), row.Folder) << row.Variable;
    }
}

TEST_F(Variables, SettingsValuesAndTheRunningProgram) {
    LoadEsd();
    test::TConfigComponent config(L"1234");
    EXPECT_EQ(Replace(L"%Norva.InstallPath%bin"), L"C:\\Suite\\bin");
    EXPECT_EQ(Replace(L"%NORVA.COMMONCACHEPATH%"), L"C:\\Suite\\Cache\\");
    EXPECT_EQ(Replace(L"%Norva.CachePath%"), L"C:\\Suite\\Cache\\1234\\");
    EXPECT_EQ(Replace(L"%Norva.ErrorPath%"), L"C:\\Suite\\Errors\\1234\\");
    EXPECT_EQ(Replace(L"%norva.officeid%"), L"1234");
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(Replace(L"%ExeName%"), exe);
    EXPECT_EQ(Replace(L"%shortexename%"), L"env_tests.exe");
}

// The office number is asked for only when its variable is there.
TEST_F(Variables, OfficeDependentValuesAreFetchedOnlyWhenPresent) {
    LoadEsd();
    EXPECT_EQ(Replace(L"%Norva.CommonCachePath%x"), L"C:\\Suite\\Cache\\x");
    try {
        Replace(L"%Norva.OfficeId%");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find(L", ClassID: {BA6C7476-ED44-459E-8EE7-9DF4E075F850}"),
                  std::wstring::npos);
    }
}

TEST_F(Variables, AMissingCacheFolderFailsEveryTextWithAPercent) {
    LoadEsd();
    test::DeleteRegTree(HKEY_LOCAL_MACHINE, ProductKey);
    Product(L"Install.Path", L"C:\\Suite");
    for (const wchar_t* text : {L"%Path.Temp%", L"%Esd.LPDir%", L"50% done"}) {
        try {
            Replace(text);
            ADD_FAILURE() << "no exception";
        } catch (const ENorvaError& e) {
            EXPECT_EQ(e.Message(), L"CLT.COMMON.SETTINGS.0003");
        }
    }
    EXPECT_EQ(Replace(L"no variable"), L"no variable");
}

// A folder query that fails fails every expansion: TMP is where the temporary folder comes from.
TEST_F(Variables, AFailingFolderQueryFailsEveryExpansion) {
    LoadEsd();
    wchar_t saved[MAX_PATH] = {};
    DWORD had = GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
    SetEnvironmentVariableW(L"TMP", (L"C:\\" + std::wstring(300, L'a')).c_str());
    EXPECT_THROW(Replace(L"%Norva.InstallPath%"), Exception);
    SetEnvironmentVariableW(L"TMP", had ? saved : nullptr);
    EXPECT_EQ(Replace(L"%Norva.InstallPath%"), L"C:\\Suite\\");
}

TEST(ShortExeName, DropsABracketedSuffix) {
    struct {
        const wchar_t* Name;
        const wchar_t* Short;
    } cases[] = {
        {L"Uninstall[1].exe", L"Uninstall.exe"},
        {L"[2].exe", L".exe"},
        {L"Uninstall.exe", L"Uninstall.exe"},
        {L"Setup[3]", L"Setup"},
        {L"a[1].b.exe", L"a.exe"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortExeName(c.Name), c.Short) << c.Name;
}

// The running program's own name, as a browser's download folder would give it.
TEST_F(Variables, ShortExeNameOfTheRunningProgram) {
    test::TTempFolder folder;
    std::wstring copy = folder.Path() + L"Uninstall[1].exe";
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"env_probe.exe").c_str(), copy.c_str(), FALSE));
    test::TRunResult run = test::Run(L"\"" + copy + L"\" %ShortExeName%|%EXENAME%");
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_EQ(Utf8ToWide(run.Output.substr(0, run.Output.find_first_of("\r\n"))),
              L"Uninstall.exe|" + copy);
}

TEST(GetVariables, GivesOneObject) {
    EXPECT_EQ(&GetVariables(), &GetVariables());
}

} // namespace
