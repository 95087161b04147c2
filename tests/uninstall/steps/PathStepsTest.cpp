#include "support/RegistrySupport.h"
#include "core/SystemError.h"
#include "core/Text.h"
#include "env/Variables.h"
#include "support/EnvSupport.h"
#include "support/SettingReceiver.h"
#include "uninstall/steps/StepFixture.h"

namespace {

const wchar_t* const Environment =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// The system search path as stored: its type and bytes. Each test starts from the machine's
// own value and leaves it behind as it was.
struct TStoredValue {
    bool Exists = false;
    DWORD Type = REG_NONE;
    std::string Bytes;
};

TStoredValue ReadStored() {
    TStoredValue value;
    TRegKey key;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, Environment, 0, KEY_READ, key.Put());
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), L"Path", nullptr, &value.Type, nullptr, &size) != ERROR_SUCCESS)
        return value;
    value.Exists = true;
    value.Bytes.assign(size, '\0');
    RegQueryValueExW(key.Get(), L"Path", nullptr, &value.Type,
                     reinterpret_cast<BYTE*>(value.Bytes.data()), &size);
    return value;
}

void WriteStored(const TStoredValue& Value) {
    TRegKey key;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, Environment, 0, KEY_ALL_ACCESS, key.Put());
    if (!Value.Exists) {
        RegDeleteValueW(key.Get(), L"Path");
        return;
    }
    RegSetValueExW(key.Get(), L"Path", 0, Value.Type,
                   reinterpret_cast<const BYTE*>(Value.Bytes.data()),
                   static_cast<DWORD>(Value.Bytes.size()));
}

TStoredValue Text(const std::wstring& Text, DWORD Type = REG_SZ) {
    const char* bytes = reinterpret_cast<const char*>(Text.c_str());
    return {true, Type, std::string(bytes, (Text.size() + 1) * sizeof(wchar_t))};
}

bool operator==(const TStoredValue& a, const TStoredValue& b) {
    return a.Exists == b.Exists && a.Type == b.Type && a.Bytes == b.Bytes;
}

class PathStepTest : public StepTest {
protected:
    void SetUp() override { FMachineValue = ReadStored(); }
    void TearDown() override { WriteStored(FMachineValue); }

    void RunPath(const std::wstring& Name) {
        View.Errors.clear();
        RunSteps(L"<Paths><Path Name=\"" + Escape(Name) + L"\"/></Paths>");
    }

private:
    TStoredValue FMachineValue;
};

TEST_F(PathStepTest, TheFolderAndEmptyEntriesLeaveTheSearchPath) {
    struct TCase {
        std::wstring Stored, Name, Written;
    };
    const TCase cases[] = {
        {L"C:\\Windows;c:\\suite\\system ; ;D:\\Tools", L"C:\\Suite\\System",
         L"C:\\Windows;D:\\Tools;"},
        // Nothing to drop: rewritten all the same, without empty entries.
        {L"%SystemRoot%\\system32;;%SystemRoot%", L"C:\\Suite\\System",
         L"%SystemRoot%\\system32;%SystemRoot%;"},
        // Entries compare as stored: a variable is not expanded for it.
        {L"%SystemRoot%\\system32;C:\\windows\\system32", L"C:\\Windows\\System32",
         L"%SystemRoot%\\system32;"},
        // What stays, stays as written.
        {L" D:\\Ünïcode Tools ;C:\\Suite\\System\\;C:\\Suite\\System", L"C:\\Suite\\System",
         L" D:\\Ünïcode Tools ;C:\\Suite\\System\\;"},
        {L"", L"C:\\Suite\\System", L""},
    };
    for (const auto& c : cases) {
        WriteStored(Text(c.Stored));
        test::TSettingReceiver program;
        RunPath(c.Name);
        EXPECT_EQ(ReadStored(), Text(c.Written, REG_EXPAND_SZ)) << WideToUtf8(c.Stored);
        EXPECT_TRUE(View.Errors.empty());
        // Running programs learn of it, as after an installer's change.
        EXPECT_EQ(program.Texts(), std::vector<std::wstring>{L"Environment"});
    }
    EXPECT_TRUE(Traced(L"TMainForm|UninstallPath()"));
    EXPECT_EQ(View.Phases().at(1), L"Removing Paths...");
    EXPECT_NE(std::find(View.Journal.begin(), View.Journal.end(), L"2:  C:\\Suite\\System"),
              View.Journal.end());
}

TEST_F(PathStepTest, ALongSearchPathLosesNothingButTheFolder) {
    std::wstring stored, written;
    for (int i = 0; i < 400; ++i) {
        std::wstring entry = L"C:\\Program Files\\Tool " + std::to_wstring(i) + L"\\bin";
        stored += entry + L";";
        written += entry + L";";
        if (i % 100 == 0)
            stored += L"c:\\SUITE\\system;";
    }
    WriteStored(Text(stored, REG_EXPAND_SZ));
    RunPath(L"C:\\Suite\\System");
    EXPECT_EQ(ReadStored(), Text(written, REG_EXPAND_SZ));
}

TEST_F(PathStepTest, ASearchPathThatCannotBeReadWholeIsLeftAsItIs) {
    const DWORD number = 7;
    const wchar_t twoTexts[] = L"C:\\Windows\0C:\\Suite\\System";
    const std::pair<TStoredValue, std::wstring> cases[] = {
        {TStoredValue{}, L"Uninstall Path failed (Registry value \"Path\" not found)"},
        {{true, REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof number)},
         L"Uninstall Path failed (Invalid data type for 'Path')"},
        {{true, REG_EXPAND_SZ,
          std::string(reinterpret_cast<const char*>(twoTexts), sizeof twoTexts)},
         L"Uninstall Path failed (Registry value \"Path\" is not a single text)"},
    };
    for (const auto& [stored, error] : cases) {
        WriteStored(stored);
        RunPath(L"C:\\Suite\\System");
        EXPECT_EQ(View.Errors, std::vector<std::wstring>{error});
        EXPECT_EQ(ReadStored(), stored) << WideToUtf8(error);
    }
}

TEST_F(PathStepTest, TheFolderNameIsExpandedFromThe32BitSettings) {
    const std::wstring esd = L"Software\\Velmarix\\Services\\Esd\\Settings";
    const std::wstring norva = L"Software\\Talveno\\Norva";
    test::WriteRegString(HKEY_LOCAL_MACHINE, norva, L"Cache.Folder", L"Cache");
    test::WriteRegString(HKEY_LOCAL_MACHINE, esd, L"LPCDir", L"C:\\Suite\\LPC");
    test::WriteRegString(HKEY_LOCAL_MACHINE, esd, L"LPCDir", L"C:\\Decoy\\LPC", KEY_WOW64_64KEY);
    GetVariables().Reload();
    WriteStored(Text(L"C:\\Decoy\\LPC\\System;C:\\Suite\\LPC\\System;C:\\Windows"));

    RunPath(L"%Esd.LPCDir%\\System");

    EXPECT_EQ(ReadStored(), Text(L"C:\\Decoy\\LPC\\System;C:\\Windows;", REG_EXPAND_SZ));
    for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
        test::DeleteRegTree(HKEY_LOCAL_MACHINE, L"Software\\Velmarix", view);
        test::DeleteRegTree(HKEY_LOCAL_MACHINE, L"Software\\Talveno", view);
    }
    GetVariables().Reload();
}

// The search path that cannot be opened for writing is an error line of the step, with the
// system's reason on the trace line before it; the value stays as it was.
TEST_F(PathStepTest, AnEnvironmentKeyThatCannotBeOpenedIsAnErrorLine) {
    WriteStored(Text(L"C:\\Windows;C:\\Suite\\System"));
    {
        test::TKeyWriteDenied denied(HKEY_LOCAL_MACHINE, Environment);
        RunPath(L"C:\\Suite\\System");
    }
    EXPECT_EQ(View.Errors,
              std::vector<std::wstring>{L"Uninstall Path failed (Open registry key \"\\" +
                                        std::wstring(Environment) + L"\" failed)"});
    EXPECT_TRUE(Traced(L"TMainForm|  reason: " + SystemErrorText(ERROR_ACCESS_DENIED)));
    EXPECT_EQ(ReadStored(), Text(L"C:\\Windows;C:\\Suite\\System"));
}

TEST_F(PathStepTest, AChildOfAnotherNameEndsTheRun) {
    const TStoredValue stored = Text(L"C:\\Suite\\System;C:\\Windows");
    WriteStored(stored);
    EXPECT_THROW(RunSteps(L"<Paths><Key Name=\"C:\\Suite\\System\"/></Paths>"), Exception);
    EXPECT_EQ(ReadStored(), stored);
}

} // namespace
