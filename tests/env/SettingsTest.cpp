#include "EnvFixture.h"
#include "core/SystemError.h"
#include "env/Settings.h"

#include <gtest/gtest.h>

namespace {

using test::TTraceLine;

const wchar_t* const ClassIdText = L"{BA6C7476-ED44-459E-8EE7-9DF4E075F850}";

class Settings : public TEnvTest {};

TEST_F(Settings, GetSettingsGivesOneObject) {
    EXPECT_EQ(&GetSettings(), &GetSettings());
    EXPECT_EQ(GetSettings().ClassName(), L"TNRVSettings");
}

TEST_F(Settings, InstallPathEndsWithOneBackslashOrIsEmpty) {
    EXPECT_EQ(GetSettings().InstallPath(), L""); // key missing: no error
    ProductDecoy(L"Install.Path", L"D:\\Decoy");
    Product(L"Cache.Folder", L"Cache");
    EXPECT_EQ(GetSettings().InstallPath(), L""); // value missing in the view this program reads
    struct {
        const wchar_t* Stored;
        const wchar_t* Expected;
    } cases[] = {{L"C:\\Suite", L"C:\\Suite\\"}, {L"C:\\Suite\\", L"C:\\Suite\\"}, {L"", L""}};
    for (const auto& c : cases) {
        Product(L"Install.Path", c.Stored);
        EXPECT_EQ(GetSettings().InstallPath(), c.Expected) << c.Stored;
    }
    EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(Settings, DerivedPathsArePlainJoins) {
    test::TConfigComponent config(L"1234");
    struct {
        const wchar_t* Install; // nullptr: not stored
        const wchar_t* Cache;
        const wchar_t* Common;
        const wchar_t* CachePath;
    } cases[] = {
        {L"C:\\Suite", L"Cache", L"C:\\Suite\\Cache\\", L"C:\\Suite\\Cache\\1234\\"},
        {L"C:\\Suite\\", L"Cache\\", L"C:\\Suite\\Cache\\\\", L"C:\\Suite\\Cache\\\\1234\\"},
        {nullptr, L"Cache", L"Cache\\", L"Cache\\1234\\"},
        {L"C:\\Suite", L"", L"C:\\Suite\\\\", L"C:\\Suite\\\\1234\\"},
        {L"C:\\Suite", L"D:\\Abs", L"C:\\Suite\\D:\\Abs\\", L"C:\\Suite\\D:\\Abs\\1234\\"},
    };
    for (const auto& c : cases) {
        test::DeleteRegTree(HKEY_LOCAL_MACHINE, ProductKey);
        if (c.Install)
            Product(L"Install.Path", c.Install);
        Product(L"Cache.Folder", c.Cache);
        Product(L"Error.Folder", L"Errors");
        EXPECT_EQ(GetSettings().CacheFolder(), c.Cache);
        EXPECT_EQ(GetSettings().CommonCachePath(), c.Common) << c.Cache;
        EXPECT_EQ(GetSettings().CachePath(), c.CachePath) << c.Cache;
    }
    EXPECT_EQ(GetSettings().ErrorPath(), L"C:\\Suite\\Errors\\1234\\");
}

TEST_F(Settings, OfficeNumbersKeepTheirSign) {
    Product(L"Install.Path", L"C:\\Suite");
    Product(L"Cache.Folder", L"Cache");
    for (const wchar_t* office : {L"0", L"-7", L"2147483647"}) {
        test::TConfigComponent config(office);
        EXPECT_EQ(GetSettings().OfficeId(), std::stoi(office));
        EXPECT_EQ(GetSettings().CachePath(), L"C:\\Suite\\Cache\\" + std::wstring(office) + L"\\");
    }
}

TEST_F(Settings, AMissingComponentOrAFailingCallReachTheCaller) {
    Product(L"Cache.Folder", L"Cache");
    try {
        GetSettings().CachePath();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        std::wstring tail = std::wstring(L", ClassID: ") + ClassIdText;
        ASSERT_GT(e.Message().size(), tail.size());
        EXPECT_EQ(e.Message().substr(e.Message().size() - tail.size()), tail);
    }
    test::TConfigComponent config(L"not a number"); // the component's call fails with E_FAIL
    try {
        GetSettings().OfficeId();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), SystemErrorText(static_cast<DWORD>(E_FAIL)));
    }
}

TEST_F(Settings, ARequiredValueMissingRaisesTheCodedError) {
    struct {
        const char* Situation;
        bool WriteKey;
        std::wstring Inner;
    } cases[] = {
        {"key missing", false, L"Open Registry key \"Software\\Talveno\\Norva\" failed"},
        {"value missing", true,
         L"Registry value \"HKEY_LOCAL_MACHINE\\Software\\Talveno\\Norva:Cache.Folder\" not "
         L"found"},
    };
    // The other view holds the value: it is not the one this program reads.
    ProductDecoy(L"Cache.Folder", L"Decoy");
    for (const auto& c : cases) {
        ClearTrace();
        if (c.WriteKey)
            Product(L"Install.Path", L"C:\\Suite");
        try {
            GetSettings().CommonCachePath();
            ADD_FAILURE() << c.Situation << ": no exception";
        } catch (const ENorvaError& e) {
            EXPECT_EQ(e.Message(), L"CLT.COMMON.SETTINGS.0003") << c.Situation;
            EXPECT_EQ(e.Code(), L"CLT.COMMON.SETTINGS.0003");
            EXPECT_EQ(e.Text(), L"TNRVSettings.Read string error (" + c.Inner + L")");
        }
        EXPECT_EQ(ErrorLines(),
                  (std::vector<TTraceLine>{{NXLL_ERROR, L"", L"DoException: " + c.Inner}}))
            << c.Situation;
    }
}

TEST_F(Settings, AValueOfAnotherTypeIsACodedErrorWithoutTrace) {
    test::WriteRegDword(HKEY_LOCAL_MACHINE, ProductKey, L"Cache.Folder", 5);
    test::WriteRegDword(HKEY_LOCAL_MACHINE, ProductKey, L"Install.Path", 5);
    for (auto read : {&TNRVSettings::CacheFolder, &TNRVSettings::InstallPath}) {
        try {
            (GetSettings().*read)();
            ADD_FAILURE() << "no exception";
        } catch (const ENorvaError& e) {
            EXPECT_EQ(e.Message(), L"CLT.COMMON.SETTINGS.0003");
            EXPECT_EQ(e.Text().find(L"TNRVSettings.Read string error (Invalid data type for '"),
                      0u);
        }
    }
    EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(Settings, ReadStringTakesStringsAsStoredAndDefaultsOnlyWhenMissing) {
    test::WriteRegString(HKEY_LOCAL_MACHINE, ProductKey, L"Expand", L"%TEMP%\\x", 0, REG_EXPAND_SZ);
    Product(L"Empty", L"");
    TNRVSettings& settings = GetSettings();
    EXPECT_EQ(settings.ReadString(HKEY_LOCAL_MACHINE, L"Expand"), L"%TEMP%\\x");
    EXPECT_EQ(settings.ReadString(HKEY_LOCAL_MACHINE, L"Empty", L"?"), L"");
    EXPECT_EQ(settings.ReadString(HKEY_LOCAL_MACHINE, L"Missing", L"fallback"), L"fallback");
    EXPECT_EQ(settings.ReadString(HKEY_LOCAL_MACHINE, L"Missing", L"x", L"Software\\NoSuchKey"),
              L"x");
    EXPECT_TRUE(ErrorLines().empty());
}

TEST(CodedError, AnUnknownCodeStillRaisesWithTheCodeAsMessage) {
    try {
        GetSettings().RaiseCodedError(L"CLT.UNKNOWN.0001", L"arg");
        FAIL() << "no exception";
    } catch (const ENorvaError& e) {
        EXPECT_EQ(e.Message(), L"CLT.UNKNOWN.0001");
        EXPECT_EQ(e.Text(), L"TNRVSettings.");
    }
    try {
        GetSettings().RaiseCodedError(L"clt.common.settings.0003", L"50% done");
        FAIL() << "no exception";
    } catch (const ENorvaError& e) {
        EXPECT_EQ(e.Text(), L"TNRVSettings.Read string error (50% done)");
    }
}

} // namespace
