#include "sys/registry/RegistryKeys.h"
#include "sys/registry/MachineEnvironment.h"

#include "core/Exception.h"
#include "core/SystemError.h"
#include "core/Text.h"
#include "support/EnvSupport.h"
#include "support/RegistrySupport.h"

#include <gtest/gtest.h>

namespace {

class RegistryKeys : public testing::Test {
protected:
    void Set(const std::wstring& Name, DWORD Type, const void* Data, DWORD Size) {
        TRegKey key = Registry::Open(HKEY_CURRENT_USER, Key.Path(), KEY_ALL_ACCESS);
        ASSERT_EQ(
            RegSetValueExW(key.Get(), Name.c_str(), 0, Type, static_cast<const BYTE*>(Data), Size),
            ERROR_SUCCESS);
    }
    std::wstring Read(const std::wstring& Name) {
        TRegKey key = Registry::Open(HKEY_CURRENT_USER, L"\\" + Key.Path(), KEY_READ);
        return Registry::ReadWholeString(key.Get(), Name);
    }
    std::wstring ReadError(const std::wstring& Name) {
        try {
            Read(Name);
        } catch (const Exception& e) {
            return e.Message();
        }
        return L"";
    }

    test::TTestKey Key{HKEY_CURRENT_USER, L"Software"};
};

TEST_F(RegistryKeys, AStringIsReadWholeOrNotAtAll) {
    std::wstring longText;
    for (int i = 0; i < 600; ++i)
        longText += L"C:\\Tools " + std::to_wstring(i) + L"\\bin ;";
    Set(L"Long", REG_SZ, longText.c_str(), static_cast<DWORD>((longText.size() + 1) * 2));
    const wchar_t expand[] = L"%SystemRoot%\\system32";
    Set(L"Expand", REG_EXPAND_SZ, expand, sizeof expand);
    Set(L"Unterminated", REG_SZ, L"abc", 6);
    Set(L"Empty", REG_SZ, L"", 0);
    const wchar_t twoTexts[] = L"C:\\A\0D:\\B";
    Set(L"TwoTexts", REG_SZ, twoTexts, sizeof twoTexts);
    Set(L"HalfChar", REG_SZ, L"ab", 3);
    DWORD number = 7;
    Set(L"Number", REG_DWORD, &number, sizeof number);

    EXPECT_EQ(Read(L"Long"), longText);
    EXPECT_EQ(Read(L"Expand"), expand);
    EXPECT_EQ(Read(L"Unterminated"), L"abc");
    EXPECT_EQ(Read(L"Empty"), L"");
    EXPECT_EQ(ReadError(L"TwoTexts"), L"Registry value \"TwoTexts\" is not a single text");
    EXPECT_EQ(ReadError(L"HalfChar"), L"Registry value \"HalfChar\" is not a single text");
    EXPECT_EQ(ReadError(L"Number"), L"Invalid data type for 'Number'");
    EXPECT_EQ(ReadError(L"Missing").rfind(L"Read registry value \"Missing\" failed (", 0), 0u);
}

TEST_F(RegistryKeys, AnExpandableStringIsWrittenAsGiven) {
    TRegKey key = Registry::Open(HKEY_CURRENT_USER, Key.Path(), KEY_READ | KEY_WRITE);
    Registry::WriteExpandString(key.Get(), L"Path", L"%SystemRoot%;C:\\Ünïcode ;");
    EXPECT_EQ(Registry::ValueType(key.Get(), L"Path"), static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(Read(L"Path"), L"%SystemRoot%;C:\\Ünïcode ;");
    EXPECT_EQ(Registry::ValueType(key.Get(), L"Missing"), static_cast<DWORD>(REG_NONE));

    TRegKey readOnly = Registry::Open(HKEY_CURRENT_USER, Key.Path(), KEY_READ);
    try {
        Registry::WriteExpandString(readOnly.Get(), L"Path", L"x");
        ADD_FAILURE() << "a key opened for reading took a value";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message().rfind(L"Write registry value \"Path\" failed (", 0), 0u);
    }
}

TEST_F(RegistryKeys, KeysOpenBelowTheirRootAndListTheirSubkeys) {
    test::CreateRegKey(HKEY_CURRENT_USER, Key.Path() + L"\\One");
    test::CreateRegKey(HKEY_CURRENT_USER, Key.Path() + L"\\Two\\Deeper");
    TRegKey key = Registry::Open(HKEY_CURRENT_USER, L"\\" + Key.Path(), KEY_READ);
    ASSERT_TRUE(key);
    EXPECT_EQ(Registry::SubKeyNames(key.Get()), (std::vector<std::wstring>{L"One", L"Two"}));
    EXPECT_FALSE(Registry::Open(HKEY_CURRENT_USER, Key.Path() + L"\\Three", KEY_READ));
    try {
        Registry::OpenOrRaise(HKEY_CURRENT_USER, Key.Path() + L"\\Three", KEY_READ, L"Open it");
        ADD_FAILURE() << "a missing key opened";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Open it (" + SystemErrorText(ERROR_FILE_NOT_FOUND) + L")");
    }
}

} // namespace

namespace {

// The program folders as the machine's 64-bit key names them.
std::wstring MachineFolder(const wchar_t* Value) {
    return test::ReadRegString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                               Value, KEY_WOW64_64KEY);
}

// A 64-bit program (the service manager) and a 32-bit one (a COM client of the 32-bit classes)
// see other program folders behind the same variable; the user's environment is neither's.
TEST(MachineEnvironment, EachViewGetsItsOwnProgramFolders) {
    const std::wstring native = MachineFolder(L"ProgramFilesDir");
    const std::wstring x86 = MachineFolder(L"ProgramFilesDir (x86)");
    const std::wstring commonNative = MachineFolder(L"CommonFilesDir");
    const std::wstring commonX86 = MachineFolder(L"CommonFilesDir (x86)");
    ASSERT_FALSE(x86.empty()) << "the tests' prefix is a 64-bit one";
    ASSERT_NE(native, x86);
    wchar_t own[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ProgramFiles", own, MAX_PATH);
    SetEnvironmentVariableW(L"ProgramFiles", L"C:\\Users\\Public\\Planted");
    const std::wstring text = L"%ProgramFiles%|%programfiles(x86)%|%CommonProgramFiles%|"
                              L"%ProgramW6432%|%Unknown%";
    EXPECT_EQ(MachineEnvironment::Expand(text, KEY_WOW64_64KEY),
              native + L"|" + x86 + L"|" + commonNative + L"|%ProgramW6432%|%Unknown%");
    EXPECT_EQ(MachineEnvironment::Expand(text, KEY_WOW64_32KEY),
              x86 + L"|" + x86 + L"|" + commonX86 + L"|" + native + L"|%Unknown%");
    SetEnvironmentVariableW(L"ProgramFiles", own);
}

} // namespace
