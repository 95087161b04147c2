#include "sys/registry/RegistryKeys.h"

#include "core/Exception.h"
#include "core/SystemError.h"
#include "core/Text.h"
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
