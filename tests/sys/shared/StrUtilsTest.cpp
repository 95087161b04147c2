#include "core/Exception.h"
#include "sys/shared/StrUtils.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::wstring> FetchAll(std::wstring s, wchar_t sep) {
    std::vector<std::wstring> fields;
    while (!s.empty())
        fields.push_back(TString::Fetch(s, sep));
    return fields;
}

TEST(TStringFetch, WalksFieldsLeftToRight) {
    EXPECT_EQ(FetchAll(L"HKLM\\Software\\Vendor", L'\\'),
              (std::vector<std::wstring>{L"HKLM", L"Software", L"Vendor"}));
    EXPECT_EQ(FetchAll(L"a;;b", L';'), (std::vector<std::wstring>{L"a", L"", L"b"}));
}

TEST(TStringFetch, LeavesRemainderAfterSeparator) {
    struct TCase {
        const wchar_t* Input;
        wchar_t Sep;
        const wchar_t* Field;
        const wchar_t* Rest;
    };
    const TCase cases[] = {
        {L"HKLM\\Software\\Vendor", L'\\', L"HKLM", L"Software\\Vendor"},
        {L"no-separator", L';', L"no-separator", L""},
        {L"trailing;", L';', L"trailing", L""},
        // Only a blank separator trims, and only the remainder.
        {L"prog.exe   -x ", L' ', L"prog.exe", L"-x"},
        {L" prog.exe", L' ', L"", L"prog.exe"},
        {L"a \t\r\n", L' ', L"a", L""},
        {L" a ; b", L';', L" a ", L" b"},
        {L"", L';', L"", L""},
    };
    for (const auto& c : cases) {
        std::wstring s = c.Input;
        EXPECT_EQ(TString::Fetch(s, c.Sep), c.Field) << c.Input;
        EXPECT_EQ(s, c.Rest) << c.Input;
    }
}

TEST(TStringReplace, Cases) {
    const auto both = rfReplaceAll | rfIgnoreCase;
    struct TCase {
        const wchar_t* Str;
        const wchar_t* Old;
        const wchar_t* New;
        TReplaceFlags Flags;
        const wchar_t* Expected;
    };
    const TCase cases[] = {
        {L"X%Path.Temp%Y%PATH.TEMP%", L"%path.temp%", L"T", both, L"XTYT"},
        {L"X%Path.Temp%Y%PATH.TEMP%", L"%path.temp%", L"T", rfIgnoreCase, L"XTY%PATH.TEMP%"},
        {L"X%Path.Temp%Y%PATH.TEMP%", L"%path.temp%", L"T", rfReplaceAll,
         L"X%Path.Temp%Y%PATH.TEMP%"},
        {L"abAB", L"ab", L"-", rfReplaceAll, L"-AB"},
        {L"aaa", L"aa", L"b", both, L"ba"},
        // The inserted text is never scanned again.
        {L"xx", L"x", L"xx", both, L"xxxx"},
        {L"abc", L"", L"z", both, L"abc"},
        {L"", L"a", L"z", both, L""},
        {L"keep Case HERE", L"case", L"", both, L"keep  HERE"},
        // Case folding covers letters beyond ASCII.
        {L"%Pfad.GR\u00dcN%\\x", L"%pfad.gr\u00fcn%", L"C:", both, L"C:\\x"},
        {L"\u0416\u0436", L"\u0436", L"z", both, L"zz"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TString::Replace(c.Str, c.Old, c.New, c.Flags), c.Expected) << c.Str;
}

TEST(TStringToHKey, AcceptsTheThreeRootsByBothNames) {
    EXPECT_EQ(TString::ToHKey(L"HKCR"), HKEY_CLASSES_ROOT);
    EXPECT_EQ(TString::ToHKey(L"hkey_classes_root"), HKEY_CLASSES_ROOT);
    EXPECT_EQ(TString::ToHKey(L"hklm"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(TString::ToHKey(L"HKEY_LOCAL_MACHINE"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(TString::ToHKey(L"HkCu"), HKEY_CURRENT_USER);
    EXPECT_EQ(TString::ToHKey(L"HKEY_CURRENT_USER"), HKEY_CURRENT_USER);
}

TEST(TStringToHKey, RejectsOtherNames) {
    for (const wchar_t* name : {L"HKU", L"HKEY_USERS", L"HKCC", L"HKEY_CURRENT_CONFIG", L"",
                                L" HKLM", L"HKLM ", L"HKLM\\Software"}) {
        try {
            TString::ToHKey(name);
            ADD_FAILURE() << "accepted: " << testing::PrintToString(std::wstring(name));
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(),
                      L"StrToHKey(\"" + std::wstring(name) + L"\") failed (unknown key)");
        }
    }
}

} // namespace
