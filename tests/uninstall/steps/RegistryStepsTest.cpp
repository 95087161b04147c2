#include "core/SystemError.h"
#include "core/Text.h"
#include "support/EnvSupport.h"
#include "support/RegistrySupport.h"
#include "sys/shared/Procs.h"
#include "uninstall/steps/StepFixture.h"

namespace {

using test::CreateRegKey;
using test::RegKeyExists;

const std::wstring AppPaths = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

class RegistryStepTest : public StepTest {
protected:
    static std::wstring Keys(const std::vector<std::wstring>& Names) {
        std::wstring group = L"<Registry>";
        for (const auto& name : Names)
            group += L"<Key Name=\"" + Escape(name) + L"\"/>";
        return group + L"</Registry>";
    }
    // The message of the error that ended the run; empty when the run ended normally.
    std::wstring RunEndingWith(const std::wstring& Groups) {
        try {
            RunSteps(Groups);
        } catch (const std::exception& e) {
            return ExceptionMessage(e);
        }
        return L"";
    }
};

TEST_F(RegistryStepTest, KeysGoFromThe32BitViewAndTheirDecoysStay) {
    test::TTestKey machine(HKEY_LOCAL_MACHINE, L"Software");
    CreateRegKey(HKEY_LOCAL_MACHINE, machine.Path() + L"\\Sub\\Deeper");
    CreateRegKey(HKEY_LOCAL_MACHINE, machine.Path() + L"\\Decoy", KEY_WOW64_64KEY);
    test::TTestKey user(HKEY_CURRENT_USER, L"Software");
    CreateRegKey(HKEY_CURRENT_USER, user.Path() + L"\\Sub");
    test::TTestKey classes(HKEY_CLASSES_ROOT, L"CLSID");
    CreateRegKey(HKEY_CLASSES_ROOT, classes.Path() + L"\\InprocServer32");
    CreateRegKey(HKEY_CLASSES_ROOT, classes.Path() + L"\\Decoy", KEY_WOW64_64KEY);
    const std::wstring missing = L"HKLM\\Software\\" + test::UniqueName(L"NrvTest-");

    RunSteps(Keys({L"hklm\\" + machine.Path(), L"HKEY_CURRENT_USER\\" + user.Path(),
                   L"HKCR\\" + classes.Path(), missing}));

    EXPECT_TRUE(View.Errors.empty());
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, machine.Path()));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, user.Path()));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, classes.Path()));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, machine.Path() + L"\\Decoy", KEY_WOW64_64KEY));
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, classes.Path() + L"\\Decoy", KEY_WOW64_64KEY));
    const std::wstring text = L"hklm\\" + machine.Path();
    EXPECT_TRUE(Traced(L"TMainForm|UninstallRegistryKey()"));
    EXPECT_TRUE(Traced(L"TMainForm|  deleting registry key \"" + text + L"\"..."));
    EXPECT_TRUE(Traced(L"TMainForm|  key \"" + text + L"\" deleted"));
    EXPECT_TRUE(Traced(L"TMainForm|  key \"" + missing + L"\" not found"));
    EXPECT_EQ(View.Phases().at(1), L"Remove Talveno Connect registry entries...");
}

TEST_F(RegistryStepTest, AFailingKeyIsAnErrorLineAndTheRunGoesOn) {
    test::TTestKey locked(HKEY_CURRENT_USER, L"Software");
    CreateRegKey(HKEY_CURRENT_USER, locked.Path() + L"\\Locked");
    test::DenyRegDelete(HKEY_CURRENT_USER, locked.Path() + L"\\Locked");
    test::TTestKey last(HKEY_CURRENT_USER, L"Software");

    RunSteps(L"<Registry><Key Name=\"HKU\\Software\\X\"/><Key/><Key Name=\"HKCU\\" + locked.Path() +
             L"\"/><Key Name=\"HKCU\\" + last.Path() + L"\"/></Registry>");

    ASSERT_EQ(View.Errors.size(), 3u);
    EXPECT_EQ(View.Errors[0],
              L"Uninstall Registry key failed (StrToHKey(\"HKU\") failed (unknown key))");
    EXPECT_TRUE(Traced(L"|DoException: StrToHKey(\"HKU\") failed (unknown key)"));
    EXPECT_EQ(View.Errors[1], L"Uninstall Registry key failed (Could not convert variant of type "
                              L"(Null) into type (OleStr))");
    // The text exactly as log readers match it; the system's reason on the trace line before.
    EXPECT_EQ(View.Errors[2], L"Uninstall Registry key failed (Delete registry key \"HKCU\\" +
                                  locked.Path() + L"\" failed)");
    EXPECT_TRUE(Traced(L"TMainForm|  reason: " + SystemErrorText(ERROR_ACCESS_DENIED)));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, locked.Path() + L"\\Locked"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, last.Path()));
}

TEST_F(RegistryStepTest, RootsTopKeysAndSystemKeysAreRefused) {
    test::TTestKey key(HKEY_CURRENT_USER, L"Software");
    const std::wstring canary = L"Software\\Policies\\" + key.Name();
    CreateRegKey(HKEY_CURRENT_USER, canary);
    // A path of the suite's own that a link turns into a system key.
    test::CreateRegLink(key.Path() + L"\\Up", test::UserHiveName() + L"\\Software");
    const std::vector<std::wstring> refused = {
        L"HKLM",
        L"HKLM\\",
        L"HKLM\\Software",
        L"HKLM\\Software\\Wow6432Node",
        L"HKCU\\Software\\Classes",
        L"HKCR\\CLSID",
        L"HKLM\\SYSTEM\\CurrentControlSet\\Control",
        L"HKCU\\" + key.Path() + L"\\Up\\Policies",
    };

    RunSteps(Keys(refused));

    ASSERT_EQ(View.Errors.size(), refused.size());
    for (size_t i = 0; i < refused.size(); ++i)
        EXPECT_EQ(View.Errors[i].rfind(L"Registry key \"" + refused[i] + L"\" is not deleted (", 0),
                  0u)
            << WideToUtf8(View.Errors[i]);
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, L"Software\\Microsoft"));
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, canary));
    test::DeleteRegTreeSafely(HKEY_CURRENT_USER, canary);
}

// On the developer workstation a key is looked at, never touched: the key, what is below it
// and its values stay, and the trace says it was looked for and nothing more.
TEST_F(RegistryStepTest, OnTheDeveloperWorkstationKeysStay) {
    Workstation = AsciiUpper(ComputerName());
    test::TTestKey key(HKEY_CURRENT_USER, L"Software");
    test::WriteRegString(HKEY_CURRENT_USER, key.Path() + L"\\Sub", L"Value", L"kept");
    RunSteps(Keys({L"HKCU\\" + key.Path()}));
    EXPECT_TRUE(View.Errors.empty());
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, key.Path() + L"\\Sub"));
    wchar_t value[16] = {};
    DWORD size = sizeof value;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, (key.Path() + L"\\Sub").c_str(), L"Value",
                           RRF_RT_REG_SZ, nullptr, value, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(value, L"kept");
    const std::wstring name = L"HKCU\\" + key.Path();
    auto step =
        std::find(Trace.Lines.begin(), Trace.Lines.end(), L"TMainForm|UninstallRegistryKey()");
    ASSERT_NE(step, Trace.Lines.end());
    EXPECT_EQ(std::vector<std::wstring>(step, Trace.Lines.end()),
              (std::vector<std::wstring>{L"TMainForm|UninstallRegistryKey()",
                                         L"TMainForm|  deleting registry key \"" + name + L"\"...",
                                         L"TMainForm|Uninstall done."}));
}

// App Paths entries of the test, each with its values.
class AppPathStepTest : public RegistryStepTest {
protected:
    test::TTestKey& Entry() {
        Entries.push_back(std::make_unique<test::TTestKey>(HKEY_LOCAL_MACHINE, AppPaths));
        return *Entries.back();
    }
    std::vector<std::unique_ptr<test::TTestKey>> Entries;
};

TEST_F(AppPathStepTest, EntriesWithAMatchingStringValueGo) {
    auto& a = Entry();
    test::WriteRegString(HKEY_LOCAL_MACHINE, a.Path(), L"", L"C:\\Velmarix\\VelxLP\\a.exe");
    auto& b = Entry();
    test::WriteRegString(HKEY_LOCAL_MACHINE, b.Path(), L"", L"C:\\Other\\b.exe");
    auto& number = Entry();
    test::WriteRegDword(HKEY_LOCAL_MACHINE, number.Path(), L"VelxLP", 1);
    auto& expandable = Entry();
    test::WriteRegString(HKEY_LOCAL_MACHINE, expandable.Path(), L"",
                         L"%ProgramFiles%\\velxlp\\d.exe", 0, REG_EXPAND_SZ);
    auto& named = Entry();
    test::WriteRegString(HKEY_LOCAL_MACHINE, named.Path(), L"", L"C:\\Other\\e.exe");
    test::WriteRegString(HKEY_LOCAL_MACHINE, named.Path(), L"Path", L"C:\\VelxLP");

    RunSteps(L"<AppPath><Value Mask=\"*VELXLP*\"/></AppPath>");

    EXPECT_TRUE(View.Errors.empty());
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, a.Path()));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, expandable.Path()));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, named.Path()));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, b.Path()));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, number.Path()));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, AppPaths));
    EXPECT_TRUE(Traced(L"TMainForm|UninstallAppPathValue(), mask=\"*VELXLP*\""));
    EXPECT_TRUE(Traced(L"TMainForm|  registry key \"" + a.Path() + L"\" deleted"));
    EXPECT_EQ(View.Phases().at(1), L"Removing AppPaths...");
}

TEST_F(AppPathStepTest, AnEntryThatCannotGoIsAnErrorLineAndTheOthersGo) {
    auto& locked = Entry();
    test::WriteRegString(HKEY_LOCAL_MACHINE, locked.Path(), L"", L"C:\\VelxLP\\a.exe");
    CreateRegKey(HKEY_LOCAL_MACHINE, locked.Path() + L"\\Locked");
    test::DenyRegDelete(HKEY_LOCAL_MACHINE, locked.Path() + L"\\Locked");
    auto& other = Entry();
    test::WriteRegString(HKEY_LOCAL_MACHINE, other.Path(), L"", L"C:\\VelxLP\\b.exe");

    RunSteps(L"<AppPath><Value Mask=\"*VELXLP*\"/></AppPath>");

    EXPECT_EQ(View.Errors,
              std::vector<std::wstring>{L"Delete registry key \"" + locked.Path() + L"\" failed"});
    EXPECT_TRUE(Traced(L"TMainForm|  reason: " + SystemErrorText(ERROR_ACCESS_DENIED)));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, locked.Path()));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, other.Path()));
}

TEST_F(AppPathStepTest, AMissingOrBrokenMaskOrAKeyThatCannotBeOpenedEndsTheRun) {
    auto& entry = Entry();
    test::WriteRegString(HKEY_LOCAL_MACHINE, entry.Path(), L"", L"C:\\VelxLP\\a.exe");
    test::TTestKey later(HKEY_CURRENT_USER, L"Software");
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"<Value/>", L"Could not convert variant of type (Null) into type (OleStr)"},
        {L"<Value Mask=\"[VELXLP\"/>", L"'[VELXLP' is an invalid mask at (1)"},
        {L"<Path Mask=\"*\"/>", L"Assertion failure (uiMain, line "},
    };
    for (const auto& [value, message] : cases) {
        std::wstring error =
            RunEndingWith(L"<AppPath>" + value + L"</AppPath>" + Keys({L"HKCU\\" + later.Path()}));
        EXPECT_EQ(error.rfind(message, 0), 0u) << WideToUtf8(error);
        EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, entry.Path()));
        EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, later.Path()));
    }
    // App Paths that cannot be opened for writing: the system's reason is traced first.
    std::wstring error;
    {
        test::TKeyWriteDenied denied(HKEY_LOCAL_MACHINE, AppPaths);
        error = RunEndingWith(L"<AppPath><Value Mask=\"*VELXLP*\"/></AppPath>" +
                              Keys({L"HKCU\\" + later.Path()}));
    }
    EXPECT_EQ(error, L"Open registry key \"" + AppPaths + L"\" failed");
    EXPECT_TRUE(Traced(L"TMainForm|  reason: " + SystemErrorText(ERROR_ACCESS_DENIED)));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, entry.Path()));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, later.Path()));
}

} // namespace
