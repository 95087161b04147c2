#include "core/Text.h"
#include "logconfig/ConfigFixture.h"
#include "logconfig/LoggerConfig.h"
#include "support/TestSupport.h"
#include "sys/registry/Registry.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A trace key of its own under HKEY_CURRENT_USER, removed afterwards.
class RegistryConfig : public testing::Test {
protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, Key.c_str()); }

    // The values of a key below the trace key as text ("7" for a number, "[text]" for a
    // string); "missing" when the key does not exist.
    std::map<std::wstring, std::wstring> Values(const std::wstring& sub) {
        std::map<std::wstring, std::wstring> values;
        TRegKey key;
        std::wstring path = sub.empty() ? Key : Key + L"\\" + sub;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
            return {{L"missing", L""}};
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            BYTE data[1024];
            DWORD nameSize = 256, dataSize = sizeof data, type = 0;
            if (RegEnumValueW(key.Get(), i, name, &nameSize, nullptr, &type, data, &dataSize) !=
                ERROR_SUCCESS)
                break;
            values[name] = type == REG_DWORD
                               ? std::to_wstring(*reinterpret_cast<DWORD*>(data))
                               : L"[" + std::wstring(reinterpret_cast<wchar_t*>(data)) + L"]";
        }
        return values;
    }
    void SetValue(const std::wstring& sub, const std::wstring& name, DWORD type,
                  const std::wstring& text, DWORD number = 0) {
        TRegKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (Key + L"\\" + sub).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, key.Put(), nullptr),
                  ERROR_SUCCESS);
        if (type == REG_DWORD)
            RegSetValueExW(key.Get(), name.c_str(), 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&number), sizeof number);
        else
            RegSetValueExW(key.Get(), name.c_str(), 0, type,
                           reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    using TValues = std::map<std::wstring, std::wstring>;
    const std::wstring Key = test::UniqueName(L"Software\\H3Test-Trace-");
    test::TTempFolder Folder;
};

TEST_F(RegistryConfig, EverySettingSurvivesASaveAndARead) {
    TNvLogger saved, read;
    test::ConfigureEverything(saved, Folder.Path());
    TLoggerConfig::SaveAs(saved, Key, HKEY_CURRENT_USER, false);
    TLoggerConfig::Initialize(read, Key, HKEY_CURRENT_USER);
    EXPECT_EQ(test::Settings(read), test::Settings(saved));
}

TEST_F(RegistryConfig, SavesTheLayoutThePeersRead) {
    TNvLogger saved;
    test::ConfigureEverything(saved, Folder.Path());
    TLoggerConfig::SaveAs(saved, Key, HKEY_CURRENT_USER, false);
    EXPECT_EQ(Values(L""), (TValues{{L"Active", L"0"}, {L"Async", L"1"}, {L"ASyncDelay", L"120"}}));
    EXPECT_EQ(Values(L"DbMon"), (TValues{{L"Active", L"1"}}));
    EXPECT_EQ(Values(L"DbMon\\TraceTypes"), (TValues{{L"Error", L"1"}, {L"Debug", L"1"}}));
    EXPECT_EQ(Values(L"DbMon\\Layout"), (TValues{{L"IncludeDate", L"1"},
                                                 {L"IncludeProcessId", L"1"},
                                                 {L"IncludeThreadId", L"0"},
                                                 {L"IncludeAppName", L"1"},
                                                 {L"IncludeTime", L"0"},
                                                 {L"DateFormat", L"[yyyy-mm-dd]"},
                                                 {L"TimeFormat", L"[hh:nn:ss.zzz]"},
                                                 {L"Separator", L"[ - ]"}}));
    EXPECT_EQ(Values(L"EventViewer"), (TValues{{L"Active", L"1"}, {L"Source", L"[H3Config]"}}));
    EXPECT_EQ(Values(L"EventViewer\\TraceTypes"),
              (TValues{{L"Information", L"1"}, {L"Reporting", L"1"}}));
    EXPECT_EQ(Values(L"TextFile\\Layout"),
              (TValues{{L"IncludeHost", L"1"}, {L"Separator", L"[;]"}}));
    EXPECT_EQ(Values(L"TextFile\\FileInfo"), (TValues{{L"CleanUpActive", L"0"},
                                                      {L"CleanUpKeep", L"5"},
                                                      {L"KeepOpen", L"0"},
                                                      {L"ForceDir", L"1"},
                                                      {L"OutputDir", L"[" + Folder.Path() + L"]"},
                                                      {L"RefreshRate", L"[Weekly]"},
                                                      {L"Extension", L"[txt]"},
                                                      {L"NameFormat", L"[DatePidName]"}}));
    EXPECT_EQ(
        Values(L"TextFile\\Header"),
        (TValues{{L"IncludeAppName", L"0"}, {L"IncludeAppVersion", L"0"}, {L"IncludeHost", L"1"}}));
}

// Saving the defaults over an earlier save removes what that one wrote: no trace-type, layout
// or header subkeys, no switches but Active, and the folder, which is always written.
TEST_F(RegistryConfig, SavingTheDefaultsOverAnEarlierSaveLeavesOnlyTheSwitches) {
    TNvLogger configured, defaults;
    test::ConfigureEverything(configured, Folder.Path());
    TLoggerConfig::SaveAs(configured, Key, HKEY_CURRENT_USER, false);
    TLoggerConfig::SaveAs(defaults, Key, HKEY_CURRENT_USER, false);
    EXPECT_EQ(Values(L""), (TValues{{L"Active", L"1"}}));
    for (const wchar_t* tag : {L"DbMon", L"EventViewer", L"TextFile"}) {
        std::wstring t = tag;
        EXPECT_EQ(Values(t), (TValues{{L"Active", L"0"}})) << t;
        EXPECT_EQ(Values(t + L"\\TraceTypes"), (TValues{{L"missing", L""}})) << t;
        EXPECT_EQ(Values(t + L"\\Layout"), (TValues{{L"missing", L""}})) << t;
    }
    EXPECT_EQ(Values(L"TextFile\\Header"), (TValues{{L"missing", L""}}));
    EXPECT_EQ(Values(L"TextFile\\FileInfo"),
              (TValues{{L"OutputDir", L"[" + defaults.TextFile().OutputDir() + L"]"}}));
    TNvLogger read;
    TLoggerConfig::Initialize(read, Key, HKEY_CURRENT_USER);
    EXPECT_EQ(test::Settings(read), test::Settings(defaults));
}

TEST_F(RegistryConfig, TraceTypesRemovedSinceAnEarlierSaveStayRemoved) {
    TNvLogger saved;
    saved.TextFile().SetTraceTypes({ttError, ttDebug});
    TLoggerConfig::SaveAs(saved, Key, HKEY_CURRENT_USER, false);
    saved.TextFile().SetTraceTypes({});
    TLoggerConfig::SaveAs(saved, Key, HKEY_CURRENT_USER, false);
    TNvLogger read;
    TLoggerConfig::Initialize(read, Key, HKEY_CURRENT_USER);
    EXPECT_EQ(read.TextFile().TraceTypes(), TTraceTypes{});
}

TEST_F(RegistryConfig, AbsentValuesReadAsTheirDefaults) {
    SetValue(L"TextFile", L"Active", REG_DWORD, L"", 1);
    SetValue(L"TextFile\\FileInfo", L"CleanUpKeep", REG_DWORD, L"", 3);
    SetValue(L"DbMon\\Layout", L"IncludeHost", REG_DWORD, L"", 1);
    TNvLogger read;
    read.SetActive(false);
    read.DbMon().SetSeparator(L"#");
    read.TextFile().SetOutputDir(Folder.Path());
    read.TextFile().SetExtension(L"txt");
    TLoggerConfig::Initialize(read, Key, HKEY_CURRENT_USER);
    EXPECT_TRUE(read.Active()); // the trace key has no values
    EXPECT_EQ(read.DbMon().Prefixes(), (TPrefixes{pfxTime, pfxThreadID, pfxHost}));
    EXPECT_EQ(read.DbMon().Separator(), L"|");
    EXPECT_TRUE(read.TextFile().Active());
    EXPECT_EQ(read.TextFile().Keep(), 3);
    EXPECT_EQ(read.TextFile().Extension(), L"log");
    EXPECT_EQ(read.TextFile().OutputDir(), Folder.Path());
    EXPECT_NE(read.TextFile().LastCleanUp(), 0.0); // active: cleaned up at once
}

TEST_F(RegistryConfig, AValueOfAnotherTypeRaisesAndWhatWasReadStays) {
    struct {
        const wchar_t* Sub;
        const wchar_t* Name;
        DWORD Type;
    } cases[] = {
        {L"DbMon", L"Active", REG_SZ},
        {L"DbMon\\TraceTypes", L"Error", REG_SZ},
        {L"DbMon\\Layout", L"Separator", REG_DWORD},
        {L"TextFile\\FileInfo", L"OutputDir", REG_BINARY},
        {L"TextFile\\Header", L"IncludeUser", REG_EXPAND_SZ},
    };
    for (const auto& c : cases) {
        RegDeleteTreeW(HKEY_CURRENT_USER, Key.c_str());
        SetValue(L"EventViewer", L"Active", REG_DWORD, L"", 1);
        SetValue(c.Sub, c.Name, c.Type, L"1", 1);
        SetValue(L"", L"Active", REG_DWORD, L"", 0);
        TNvLogger read;
        try {
            TLoggerConfig::Initialize(read, Key, HKEY_CURRENT_USER);
            ADD_FAILURE() << WideToUtf8(c.Name);
        } catch (const ERegistryException& e) {
            EXPECT_EQ(e.Message(), L"Invalid data type for '" + std::wstring(c.Name) + L"'");
        }
        EXPECT_FALSE(read.Active()) << WideToUtf8(c.Name);
    }
}

// A text setting stored as an expandable string, as a hand-made key or a policy may hold it,
// is read as stored: its percent signs are not expanded.
TEST_F(RegistryConfig, AnExpandableStringReadsAsStored) {
    SetValue(L"DbMon\\Layout", L"Separator", REG_EXPAND_SZ, L" %TEMP% ");
    SetValue(L"EventViewer", L"Source", REG_EXPAND_SZ, L"%USERNAME%");
    SetValue(L"TextFile\\FileInfo", L"OutputDir", REG_EXPAND_SZ, L"%TEMP%\\logs\\");
    TNvLogger read;
    TLoggerConfig::Initialize(read, Key, HKEY_CURRENT_USER);
    EXPECT_EQ(read.DbMon().Separator(), L" %TEMP% ");
    EXPECT_EQ(read.EventViewer().Source(), L"%USERNAME%");
    EXPECT_EQ(read.TextFile().OutputDir(), L"%TEMP%\\logs\\");
}

TEST_F(RegistryConfig, AFailedSaveRaisesSaveAsFailed) {
    TNvLogger saved;
    TLoggerConfig::SaveAs(saved, Key, HKEY_CURRENT_USER, false);
    TRegistry readOnly(KEY_READ, HKEY_CURRENT_USER);
    try {
        TLoggerConfig::SaveAs(saved, &readOnly, Key, false);
        ADD_FAILURE();
    } catch (const ELoggerError& e) {
        EXPECT_EQ(e.Message().rfind(L"SaveAs() failed (Failed to set data for 'Active' (", 0), 0u)
            << WideToUtf8(e.Message());
    }
    std::wstring tooLong = Key + L"\\" + std::wstring(300, L'k');
    try {
        TLoggerConfig::SaveAs(saved, tooLong, HKEY_CURRENT_USER, false);
        ADD_FAILURE();
    } catch (const ELoggerError& e) {
        EXPECT_EQ(e.Message(), L"SaveAs() failed (OpenKey \"" + tooLong + L"\" failed )");
    }
}

TEST_F(RegistryConfig, NoRegistryOrNoKeyReadsAndSavesNothing) {
    TNvLogger logger;
    logger.SetActive(false);
    TRegistry reg(KEY_ALL_ACCESS, HKEY_CURRENT_USER);
    TLoggerConfig::Initialize(logger, nullptr, Key);
    TLoggerConfig::Initialize(logger, &reg, L"");
    TLoggerConfig::SaveAs(logger, &reg, L"", false);
    TLoggerConfig::SaveAs(logger, nullptr, Key, false);
    EXPECT_FALSE(logger.Active());
    TRegKey root;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, root.Put()), ERROR_SUCCESS);
    EXPECT_NE(RegQueryValueExW(root.Get(), L"Active", nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
}

} // namespace
