#include "core/SystemError.h"
#include "core/Text.h"
#include "support/RegistrySupport.h"
#include "uninstall/steps/StepFixture.h"

namespace {

using test::CreateRegKey;
using test::RegKeyExists;

const std::wstring DefaultExpression = L"(?i)[0-9]{5}(DISP|EDI)";

class ProfileStepTest : public StepTest {
protected:
    static std::wstring Profiles(const std::wstring& Key, const std::wstring& Expression) {
        return L"<Profiles><Key Name=\"" + Escape(Key) + L"\"/><RegExpr>" + Escape(Expression) +
               L"</RegExpr></Profiles>";
    }
    void RunProfiles(const std::wstring& Groups) {
        View.Errors.clear();
        RunSteps(Groups);
    }
};

TEST_F(ProfileStepTest, ProfilesWhoseNamesMatchGoAndTheDecoysStay) {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        test::TTestKey key(root, L"Software");
        const std::wstring profiles = key.Path() + L"\\Profiles";
        for (const wchar_t* name : {L"12345DISP\\Settings", L"Outlook", L"00001edi-x"}) {
            CreateRegKey(root, profiles + L"\\" + name);
            if (root == HKEY_LOCAL_MACHINE)
                CreateRegKey(root, profiles + L"\\" + name, KEY_WOW64_64KEY);
        }
        const std::wstring rootName = root == HKEY_CURRENT_USER ? L"HKCU" : L"HKEY_LOCAL_MACHINE";

        RunProfiles(Profiles(rootName + L"\\" + profiles, DefaultExpression));

        EXPECT_TRUE(View.Errors.empty());
        EXPECT_FALSE(RegKeyExists(root, profiles + L"\\12345DISP"));
        EXPECT_FALSE(RegKeyExists(root, profiles + L"\\00001edi-x"));
        EXPECT_TRUE(RegKeyExists(root, profiles + L"\\Outlook"));
        EXPECT_TRUE(Traced(L"TMainForm|profile name \"Outlook\" does not match \"" +
                           DefaultExpression + L"\""));
        if (root == HKEY_LOCAL_MACHINE) {
            for (const wchar_t* name : {L"12345DISP\\Settings", L"00001edi-x"})
                EXPECT_TRUE(RegKeyExists(root, profiles + L"\\" + name, KEY_WOW64_64KEY));
        }
    }
    EXPECT_EQ(View.Phases().at(1), L"Remove Mail profiles...");
}

// Unelevated code of the user can make a link in the user's hive above the profiles' key,
// pointing into the machine's hive: the step follows no link on the way, deletes nothing there
// and says why.
TEST_F(ProfileStepTest, ALinkInTheUsersHiveLeadsTheStepNowhere) {
    test::TTestKey machine(HKEY_LOCAL_MACHINE, L"Software");
    const std::wstring profile = machine.Path() + L"\\Profiles\\12345DISP";
    CreateRegKey(HKEY_LOCAL_MACHINE, profile, KEY_WOW64_64KEY);
    test::TTestKey user(HKEY_CURRENT_USER, L"Software");
    const std::wstring link = user.Path() + L"\\Office";
    test::CreateRegLink(link, L"\\REGISTRY\\MACHINE\\" + machine.Path());
    ASSERT_TRUE(RegKeyExists(HKEY_CURRENT_USER, link + L"\\Profiles\\12345DISP"));

    for (const std::wstring& below : {std::wstring(L"\\Profiles"), std::wstring()}) {
        const std::wstring key = L"HKCU\\" + link + below;
        RunProfiles(Profiles(key, below.empty() ? L"Profiles" : DefaultExpression));
        EXPECT_EQ(View.Errors,
                  std::vector<std::wstring>{L"Mail profiles below \"" + key +
                                            L"\" are not deleted (\"" + link + L"\" is a link)"});
        EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, profile, KEY_WOW64_64KEY));
    }
}

TEST_F(ProfileStepTest, AGroupThatCannotBeCarriedOutIsAnErrorLineAndTheRunGoesOn) {
    test::TTestKey key(HKEY_CURRENT_USER, L"Software");
    CreateRegKey(HKEY_CURRENT_USER, key.Path() + L"\\12345DISP");
    const std::wstring name = L"HKCU\\" + key.Path();
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"<Profiles><RegExpr>DISP</RegExpr></Profiles>",
         L"Uninstall Profiles failed (The Profiles group has no \"Key\" element)"},
        {L"<Profiles><Key Name=\"" + name + L"\"/></Profiles>",
         L"Uninstall Profiles failed (The Profiles group has no \"RegExpr\" element)"},
        {L"<Profiles><Key/><RegExpr>DISP</RegExpr></Profiles>",
         L"Uninstall Profiles failed (Could not convert variant of type (Null) into type "
         L"(OleStr))"},
        {Profiles(L"HKU\\" + key.Path(), L"DISP"),
         L"Uninstall Profiles failed (StrToHKey(\"HKU\") failed (unknown key))"},
        {Profiles(name, L"(DISP"), L"Uninstall Profiles failed (Invalid regular expression "
                                   L"\"(DISP\" (Unmatched marking parenthesis"},
    };
    test::TTestKey later(HKEY_CURRENT_USER, L"Software");
    for (const auto& [group, error] : cases) {
        RunProfiles(group + L"<Registry><Key Name=\"HKCU\\" + later.Path() + L"\"/></Registry>");
        ASSERT_EQ(View.Errors.size(), 1u);
        EXPECT_EQ(View.Errors[0].rfind(error, 0), 0u) << WideToUtf8(View.Errors[0]);
        EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, key.Path() + L"\\12345DISP"));
    }
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, later.Path()));
}

// An empty expression would match every name: it is an error line, and every profile stays.
TEST_F(ProfileStepTest, AnEmptyExpressionDeletesNoProfile) {
    test::TTestKey key(HKEY_CURRENT_USER, L"Software");
    for (const wchar_t* name : {L"12345DISP", L"Outlook"})
        CreateRegKey(HKEY_CURRENT_USER, key.Path() + L"\\" + name);
    for (const wchar_t* expression : {L"", L"  ", L"\t \n"}) {
        RunProfiles(Profiles(L"HKCU\\" + key.Path(), expression));
        EXPECT_EQ(View.Errors, std::vector<std::wstring>{L"Profiles: empty expression"});
        for (const wchar_t* name : {L"12345DISP", L"Outlook"})
            EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, key.Path() + L"\\" + name));
    }
    RunProfiles(L"<Profiles><Key Name=\"HKCU\\" + key.Path() + L"\"/><RegExpr/></Profiles>");
    EXPECT_EQ(View.Errors, std::vector<std::wstring>{L"Profiles: empty expression"});
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, key.Path() + L"\\12345DISP"));
}

TEST_F(ProfileStepTest, AProfileKeyThatDoesNotOpenIsOnlyTraced) {
    const std::wstring missing = test::UniqueName(L"Software\\NrvTest-");
    RunProfiles(Profiles(L"HKCU\\" + missing, DefaultExpression));
    EXPECT_TRUE(View.Errors.empty());
    EXPECT_TRUE(Traced(L"TMainForm|Unable to open registry key \"" + missing + L"\""));
}

// A system key, named as it is or reached through a link, which is refused as a link first.
TEST_F(ProfileStepTest, TheSubkeysOfASystemKeyAreNoProfiles) {
    test::TTestKey key(HKEY_CURRENT_USER, L"Software");
    test::CreateRegLink(key.Path() + L"\\Up", test::UserHiveName() + L"\\Software");
    const std::wstring viaLink = L"HKCU\\" + key.Path() + L"\\Up";

    RunProfiles(Profiles(L"HKCU\\Software", key.Name()) + Profiles(viaLink, key.Name()));

    EXPECT_EQ(View.Errors,
              (std::vector<std::wstring>{
                  L"Registry key \"HKCU\\Software\" is not deleted (the key is a top key of its "
                  L"hive)",
                  L"Mail profiles below \"" + viaLink + L"\" are not deleted (\"" + key.Path() +
                      L"\\Up\" is a link)"}));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, key.Path()));
}

TEST_F(ProfileStepTest, AProfileThatCannotGoIsAnErrorLineAndTheOthersGo) {
    test::TTestKey key(HKEY_CURRENT_USER, L"Software");
    CreateRegKey(HKEY_CURRENT_USER, key.Path() + L"\\12345DISP\\Locked");
    test::DenyRegDelete(HKEY_CURRENT_USER, key.Path() + L"\\12345DISP\\Locked");
    CreateRegKey(HKEY_CURRENT_USER, key.Path() + L"\\54321EDI");

    RunProfiles(Profiles(L"HKCU\\" + key.Path(), DefaultExpression));

    EXPECT_EQ(View.Errors, std::vector<std::wstring>{L"Delete registry key \"" + key.Path() +
                                                     L"\\12345DISP\" failed"});
    EXPECT_TRUE(Traced(L"TMainForm|  reason: " + SystemErrorText(ERROR_ACCESS_DENIED)));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, key.Path() + L"\\12345DISP\\Locked"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key.Path() + L"\\54321EDI"));
}

} // namespace
