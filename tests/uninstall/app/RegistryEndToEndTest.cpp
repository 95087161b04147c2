// The real uninstall.exe with the registry, App Paths, search-path, COM and mail-profile groups
// of the default script, on a machine seeded as the suite leaves it: what the script names
// goes from the 32-bit view; the 64-bit decoys and everything else stay.
#include "core/Handle.h"
#include "core/Text.h"
#include "support/EnvSupport.h"
#include "support/RegistrySupport.h"
#include "support/ScriptSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using test::CreateRegKey;
using test::RegKeyExists;
using test::WriteRegString;

const std::wstring Notify =
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify\\Norva";
const std::wstring Messaging =
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem";
const std::wstring Profiles = Messaging + L"\\Profiles";
const std::wstring AppPaths = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const std::wstring Environment =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const std::wstring ProgId = L"kvcomp1.document";
const std::wstring ClassKey = L"CLSID\\{6C1E0F3A-5D2B-4E8C-9A7F-0B3D2E1C4A59}";
const std::wstring SuiteKeys[] = {L"Software\\Norva", L"Software\\Talveno", L"Software\\Velmarix"};

std::string Driver(const std::wstring& Arguments) {
    auto result =
        test::Run(L"\"" + test::HelperPath(L"ui_driver.exe") + L"\" " + Arguments, {}, 180000);
    EXPECT_EQ(result.ExitCode, 0u) << WideToUtf8(Arguments) << ": " << result.Output;
    return result.Output;
}

// The line of one control in the driver's state listing.
std::string ControlState(const std::string& State, int Id) {
    std::istringstream lines(State);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind(std::to_string(Id) + "\t", 0) == 0)
            return line;
    return "";
}

std::wstring ReadSearchPath() {
    TRegKey key;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, Environment.c_str(), 0, KEY_READ, key.Put());
    wchar_t buffer[8192] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    RegQueryValueExW(key.Get(), L"Path", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    return buffer;
}

void WriteSearchPath(const std::wstring& Value) {
    WriteRegString(HKEY_LOCAL_MACHINE, Environment, L"Path", Value, 0, REG_EXPAND_SZ);
}

class RegistryEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        ClearSuiteKeys();
        FSearchPath = ReadSearchPath();
        FMessagingExisted = RegKeyExists(HKEY_CURRENT_USER, Messaging);
        SetEnvironmentVariableW(L"NRV_TEST_COM_RECORD", ComRecord.c_str());
        SetEnvironmentVariableW(L"NRV_TEST_REGASM_RECORD", ToolRecord.c_str());
    }
    void TearDown() override {
        ClearSuiteKeys();
        WriteSearchPath(FSearchPath);
        for (const auto& profile : ProfileNames)
            test::DeleteRegTreeSafely(HKEY_CURRENT_USER, Profiles + L"\\" + profile);
        if (!FMessagingExisted)
            test::DeleteRegTreeSafely(HKEY_CURRENT_USER, Messaging);
        DeleteFileW(Tool.c_str());
        for (auto it = CreatedFolders.rbegin(); it != CreatedFolders.rend(); ++it)
            RemoveDirectoryW(it->c_str());
        SetEnvironmentVariableW(L"NRV_TEST_COM_RECORD", nullptr);
        SetEnvironmentVariableW(L"NRV_TEST_REGASM_RECORD", nullptr);
    }
    static void ClearSuiteKeys() {
        for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
            for (const auto& key : SuiteKeys)
                test::DeleteRegTreeSafely(HKEY_LOCAL_MACHINE, key, view);
            test::DeleteRegTreeSafely(HKEY_LOCAL_MACHINE, Notify, view);
            test::DeleteRegTreeSafely(HKEY_CLASSES_ROOT, ClassKey, view);
        }
        test::DeleteRegTreeSafely(HKEY_CURRENT_USER, L"Software\\Talveno");
        test::DeleteRegTreeSafely(HKEY_CURRENT_USER, L"Software\\Velmarix");
        test::DeleteRegTreeSafely(HKEY_CLASSES_ROOT, L"dxifile");
        test::DeleteRegTreeSafely(HKEY_CLASSES_ROOT, ProgId);
    }
    std::wstring Make(const std::wstring& Relative, const std::wstring& Source = L"") {
        std::wstring full = Root.Path() + Relative;
        for (size_t slash = full.find(L'\\', Root.Path().size()); slash != std::wstring::npos;
             slash = full.find(L'\\', slash + 1))
            CreateDirectoryW(full.substr(0, slash).c_str(), nullptr);
        if (Source.empty())
            test::WriteTextFile(full, "x");
        else
            CopyFileW(Source.c_str(), full.c_str(), FALSE);
        return full;
    }
    void InstallTool() {
        for (size_t slash = Tool.find(L'\\', 3); slash != std::wstring::npos;
             slash = Tool.find(L'\\', slash + 1))
            if (CreateDirectoryW(Tool.substr(0, slash).c_str(), nullptr))
                CreatedFolders.push_back(Tool.substr(0, slash));
        CopyFileW(test::HelperPath(L"regasm_standin.exe").c_str(), Tool.c_str(), FALSE);
    }

    test::TTempFolder Root;
    test::TTempFolder Records;
    const std::wstring ComRecord = Records.Path() + L"com.txt";
    const std::wstring ToolRecord = Records.Path() + L"regasm.txt";
    const std::wstring Tool = L"C:\\windows\\Microsoft.NET\\Framework\\v4.0.30319\\regasm.exe";
    std::vector<std::wstring> CreatedFolders;
    std::vector<std::wstring> ProfileNames;

private:
    std::wstring FSearchPath;
    bool FMessagingExisted = false;
};

TEST_F(RegistryEndToEnd, TheScriptsKeysGoAndTheDecoysStay) {
    // The suite's settings, which the script's variables read, and its own keys.
    const std::wstring lp = Root.Path() + L"LP", lpc = Root.Path() + L"LPC";
    WriteRegString(HKEY_LOCAL_MACHINE, L"Software\\Talveno\\Norva", L"Cache.Folder", L"Cache");
    WriteRegString(HKEY_LOCAL_MACHINE, L"Software\\Velmarix\\Services\\Esd\\Settings", L"LPDir",
                   lp);
    WriteRegString(HKEY_LOCAL_MACHINE, L"Software\\Velmarix\\Services\\Esd\\Settings", L"LPCDir",
                   lpc);
    CreateRegKey(HKEY_LOCAL_MACHINE, L"Software\\Norva\\Options");
    CreateRegKey(HKEY_LOCAL_MACHINE, Notify);
    CreateRegKey(HKEY_CURRENT_USER, L"Software\\Talveno\\Norva");
    CreateRegKey(HKEY_CURRENT_USER, L"Software\\Velmarix\\Esd");
    CreateRegKey(HKEY_CLASSES_ROOT, L"dxifile\\shell\\open");
    for (const auto& key : SuiteKeys)
        CreateRegKey(HKEY_LOCAL_MACHINE, key + L"\\Decoy", KEY_WOW64_64KEY);
    CreateRegKey(HKEY_LOCAL_MACHINE, Notify + L"\\Decoy", KEY_WOW64_64KEY);
    // What no step names.
    test::TTestKey machineKeep(HKEY_LOCAL_MACHINE, L"Software");
    test::TTestKey userKeep(HKEY_CURRENT_USER, L"Software");
    // App Paths entries, one of the suite.
    test::TTestKey suiteApp(HKEY_LOCAL_MACHINE, AppPaths);
    WriteRegString(HKEY_LOCAL_MACHINE, suiteApp.Path(), L"", L"C:\\Velmarix\\VelxLP\\lp.exe");
    test::TTestKey otherApp(HKEY_LOCAL_MACHINE, AppPaths);
    WriteRegString(HKEY_LOCAL_MACHINE, otherApp.Path(), L"", L"C:\\Other\\other.exe");
    // The search path with the suite's folder.
    const std::wstring machinePath = ReadSearchPath();
    WriteSearchPath(machinePath + L";" + lpc + L"\\System");
    // COM servers: one in the suite's folder, one excluded, a ProgID and an assembly.
    const std::wstring server = Make(L"LP\\bin\\nrvcom.dll", test::HelperPath(L"com_server.dll"));
    Make(L"LP\\bin\\com_dep.dll", test::HelperPath(L"com_dep.dll"));
    Make(L"LP\\bin\\RinseKit.dll", test::HelperPath(L"com_server.dll"));
    // The machine's classes name the server where the suite installed it.
    test::TTestKey serverClass(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID");
    WriteRegString(HKEY_LOCAL_MACHINE, serverClass.Path() + L"\\InprocServer32", L"", server);
    const std::wstring assembly = Make(L"LP\\Velmarix\\WebSocket\\talveno.webSocket.client.dll");
    WriteRegString(HKEY_CLASSES_ROOT, ProgId + L"\\CLSID", L"", ClassKey.substr(6));
    // The class's server lies in the suite's program folder.
    WriteRegString(HKEY_CLASSES_ROOT, ClassKey + L"\\InprocServer32", L"",
                   server.substr(0, server.find_last_of(L'\\') + 1) + L"kvcomp1.dll");
    CreateRegKey(HKEY_CLASSES_ROOT, ClassKey + L"\\Decoy", KEY_WOW64_64KEY);
    InstallTool();
    // Mail profiles.
    const std::wstring suffix = test::UniqueName(L"-");
    ProfileNames = {L"12345DISP" + suffix, L"Outlook" + suffix, L"00001edi-x" + suffix};
    for (const auto& profile : ProfileNames)
        CreateRegKey(HKEY_CURRENT_USER, Profiles + L"\\" + profile + L"\\Settings");

    test::TTempFolder folder;
    const std::wstring exe = folder.Path() + L"uninstall.exe";
    ASSERT_TRUE(CopyFileW(test::VariantPath(L"e2e_registry.exe").c_str(), exe.c_str(), FALSE));
    {
        test::TRunningProcess uninstall(L"\"" + exe + L"\" /trace");
        Driver(L"wait");
        Driver(L"click 1001");
        Driver(L"wait-enabled 2");
        std::string state = Driver(L"state");
        EXPECT_NE(ControlState(state, 1021).find("Uninstallation done."), std::string::npos)
            << state;
        // No error line: the error list stays hidden.
        EXPECT_EQ(ControlState(state, 1023).substr(0, 11), "1023\tEdit\t0") << state;
        Driver(L"close");
        EXPECT_EQ(WaitForSingleObject(uninstall.Handle(), 30000), WAIT_OBJECT_0);
    }

    for (const auto& key : SuiteKeys) {
        EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, key)) << WideToUtf8(key);
        EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, key + L"\\Decoy", KEY_WOW64_64KEY));
    }
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, Notify));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, Notify + L"\\Decoy", KEY_WOW64_64KEY));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, L"Software\\Talveno"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, L"Software\\Velmarix"));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, L"dxifile"));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, machineKeep.Path()));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, userKeep.Path()));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE,
                             L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"));

    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, suiteApp.Path()));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, otherApp.Path()));

    std::wstring expected;
    std::wstring rest = machinePath;
    for (size_t semicolon; !rest.empty();
         rest.erase(0, semicolon == std::wstring::npos ? rest.size() : semicolon + 1)) {
        semicolon = rest.find(L';');
        std::wstring entry = rest.substr(0, semicolon);
        if (!Trim(entry).empty())
            expected += entry + L";";
    }
    EXPECT_EQ(ReadSearchPath(), expected);

    // Only the server that is not excluded.
    const std::wstring unregistered = Utf8ToWide(test::ReadTextFile(ComRecord));
    EXPECT_EQ(unregistered.substr(0, server.size() + 1), server + L"|");
    EXPECT_EQ(std::count(unregistered.begin(), unregistered.end(), L'\n'), 1);
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ProgId));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ClassKey));
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, ClassKey + L"\\Decoy", KEY_WOW64_64KEY));
    EXPECT_NE(Utf8ToWide(test::ReadTextFile(ToolRecord))
                  .find(L"\"" + assembly + L"\" /unregister /silent"),
              std::wstring::npos);

    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, Profiles + L"\\" + ProfileNames[0]));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, Profiles + L"\\" + ProfileNames[1]));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, Profiles + L"\\" + ProfileNames[2]));

    WIN32_FIND_DATAW data;
    TFindHandle find(FindFirstFileW((folder.Path() + L"uninstall.exe_*.log").c_str(), &data));
    ASSERT_TRUE(find);
    std::string log = test::ReadTextFile(folder.Path() + data.cFileName);
    EXPECT_NE(log.find("|TMainForm|  key \"HKLM\\Software\\Norva\" deleted|"), std::string::npos);
    EXPECT_NE(log.find("|TMainForm|profile name \"Outlook" + WideToUtf8(suffix) +
                       "\" does not match \"(?i)[0-9]{5}(DISP|EDI)\"|"),
              std::string::npos);
}

} // namespace
