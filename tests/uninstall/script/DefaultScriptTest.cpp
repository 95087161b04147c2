#include "core/Text.h"
#include "support/RunRecorder.h"
#include "support/ScriptSupport.h"
#include "sys/com/ComInit.h"
#include "sys/shared/Misc.h"
#include "uninstall/engine/Engine.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using TAttrs = std::vector<std::pair<std::wstring, std::wstring>>;

// One expected child of a group: its name and its attributes; "#text" stands for its text.
struct TElement {
    std::wstring Name;
    TAttrs Attrs;
};

struct TGroupSpec {
    std::wstring Name;
    std::vector<TElement> Elements;
};

std::vector<TElement> Named(const std::wstring& Element, const std::vector<std::wstring>& Names) {
    std::vector<TElement> elements;
    for (const auto& name : Names)
        elements.push_back({Element, {{L"Name", name}}});
    return elements;
}

std::vector<TElement> Shortcuts() {
    std::vector<TElement> elements;
    for (const wchar_t* path :
         {L"%Path.CommonDesktop%", L"%Path.CommonStartMenu%", L"%Path.UserDesktop%"})
        for (const wchar_t* mask : {L"*.velmarix*", L"*.talveno*", L"*VelxLP*", L"*kestra.com*"})
            elements.push_back(
                {L"Shortcut", {{L"Path", path}, {L"TargetMask", mask}, {L"Recursive", L"True"}}});
    return elements;
}

std::vector<TGroupSpec> ExpectedGroups() {
    const std::wstring lp = L"%esd.LPDir%", ld = L"%esd.LDDir%";
    return {
        {L"Commands",
         {{L"Command", {{L"#text", L"netsh advfirewall firewall delete rule name=talvenoNvski"}}}}},
        {L"AppPath", {{L"Value", {{L"Mask", L"*VELXLP*"}}}}},
        {L"Paths", {{L"Path", {{L"Name", L"%Esd.LPCDir%\\System"}}}}},
        {L"Processes",
         Named(L"Process", {L"Lumbrex.exe", L"NorvaRelay.exe", L"MailPurger.exe",
                            L"OstrelLogon.exe", L"NorvaConsole.exe", L"NorvaPortal.exe",
                            L"NorvaNotifier.exe", L"NorvaDaemon.exe", L"VexaDaemon.exe"})},
        {L"Services",
         {
             {L"Service", {{L"Name", L"TalvenoBrokerInMailSrv"}, {L"Param", L"-remove"}}},
             {L"Service", {{L"Name", L"TalvenoBrokerServer"}, {L"Param", L"-remove"}}},
             {L"Service", {{L"Name", L"TalvenoBrokerOutMailSrv"}, {L"Param", L"-remove"}}},
             {L"Service",
              {{L"Name", L"TalvenoMiddlewareServerEngineWatchdog"},
               {L"Param", L"-remove Watchdog"}}},
             {L"Service",
              {{L"Name", L"TalvenoMiddlewareServerEngineAuthProxy"},
               {L"Param", L"-remove AuthProxy"}}},
             {L"Service",
              {{L"Name", L"TalvenoMiddlewareServerEngineNorva"}, {L"Param", L"-remove Norva"}}},
             {L"Service", {{L"Name", L"TalvenoMiddlewareWebSocket"}, {L"Param", L"-remove"}}},
             {L"Service",
              {{L"Name", L"TalvenoMiddlewareWebSocketNorvaGlob"},
               {L"Param", L"-remove -id Norva"}}},
             {L"Service",
              {{L"Name", L"TalvenoMiddlewareWebSocketSsoGlob"}, {L"Param", L"-remove -id Sso"}}},
         }},
        {L"Processes",
         Named(L"Process",
               {L"InMailSrv.exe", L"TalvenoBrokerGW.exe", L"OutMailSrv.exe",
                L"talveno.middleware.server.engine.exe", L"talveno.webSocket.engine.exe"})},
        {L"ComObjects",
         {
             {L"ComObject",
              {{L"Path", lp},
               {L"Recursive", L"True"},
               {L"Mask", L"*.dll"},
               {L"Exclude", L"kv_trdc1.dll,KestraBeid.dll,TalvenoBeid.dll,RinseKit.dll"}}},
             {L"ComObject", {{L"Path", lp}, {L"Recursive", L"True"}, {L"Mask", L"*.ocx"}}},
             {L"ComObject",
              {{L"Path", ld},
               {L"Recursive", L"True"},
               {L"Mask", L"*.dll"},
               {L"Exclude", L"RinseKit.dll"}}},
             {L"ComObject", {{L"Path", ld}, {L"Recursive", L"True"}, {L"Mask", L"*.ocx"}}},
             {L"ComObject", {{L"ProgID", L"kvcomp1.document"}}},
             {L"ComObject",
              {{L"Path", L"%Path.PgmFiles%\\KESTRAPLW"},
               {L"Recursive", L"True"},
               {L"Mask", L"*.ocx"}}},
             {L"ComObject",
              {{L"Regasm", L"1"},
               {L"File", L"%Esd.LPDir%\\Velmarix\\WebSocket\\talveno.webSocket.client.dll"}}},
         }},
        {L"Shares", Named(L"Share", {L"VelxPkg", L"VelxShr"})},
        {L"Shortcuts", Shortcuts()},
        {L"Folders",
         {
             {L"Folder",
              {{L"Path", L"%Esd.LPDir%"},
               {L"Exclude", L"*\\Velmarix\\MySql\\*,*\\Velmarix\\Data\\*"}}},
             {L"Folder", {{L"Path", L"%Esd.LDDir%"}}},
             {L"Folder", {{L"Path", L"%Esd.BuDir%"}, {L"LocalOnly", L"true"}}},
             {L"Folder", {{L"Path", L"%Esd.SrcDir%"}, {L"LocalOnly", L"true"}}},
             {L"Folder", {{L"Path", L"%Esd.NDDir%"}, {L"LocalOnly", L"true"}}},
             {L"Folder", {{L"Path", L"%Esd.NPDir%"}, {L"LocalOnly", L"true"}}},
             {L"Folder", {{L"Path", L"%Esd.LP%:\\VelxShr"}, {L"LocalOnly", L"true"}}},
             {L"Folder", {{L"Path", L"%Path.PgmFiles%\\KESTRAPLW"}, {L"LocalOnly", L"true"}}},
         }},
        {L"Files",
         {
             {L"File",
              {{L"Path", L"%Path.CommonDesktop%"},
               {L"Mask", L"*Norva*.lnk"},
               {L"Recursive", L"True"}}},
             {L"File",
              {{L"Path", L"%Path.UserDesktop%"},
               {L"Mask", L"*Norva*.lnk"},
               {L"Recursive", L"True"}}},
             {L"File",
              {{L"Path", L"%Path.CommonStartUp%"},
               {L"Mask", L"*Norva*.lnk"},
               {L"Recursive", L"False"}}},
             {L"File",
              {{L"Path", L"%Path.UserStartUp%"},
               {L"Mask", L"*Norva*.lnk"},
               {L"Recursive", L"False"}}},
             {L"File",
              {{L"Path", L"%Path.WinSysDir%"}, {L"Mask", L"kv_*.*"}, {L"Recursive", L"False"}}},
             {L"File", {{L"Path", L"C:\\"}, {L"Mask", L"InMailSrv.*"}, {L"Recursive", L"False"}}},
             {L"File", {{L"Path", L"C:\\"}, {L"Mask", L"OutMailSrv.*"}, {L"Recursive", L"False"}}},
         }},
        {L"Folders",
         {
             {L"Folder", {{L"Path", L"%Path.CommonStartPrograms%\\QX2"}}},
             {L"Folder", {{L"Path", L"%Path.UserStartPrograms%\\QX2"}}},
         }},
        {L"Shortcuts",
         {
             {L"Shortcut",
              {{L"Path", L"%Path.CommonDesktop%"},
               {L"TargetMask", L"*VelxLP*"},
               {L"Recursive", L"True"}}},
             {L"Shortcut",
              {{L"Path", L"%Path.UserDesktop%"},
               {L"TargetMask", L"*VelxLP*"},
               {L"Recursive", L"True"}}},
         }},
        {L"Registry",
         Named(L"Key",
               {L"HKLM\\Software\\Norva", L"HKLM\\Software\\Talveno", L"HKLM\\Software\\Velmarix",
                L"HKCU\\Software\\Talveno", L"HKCU\\Software\\Velmarix",
                L"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify\\Norva",
                L"HKCR\\dxifile"})},
        {L"Profiles",
         {
             {L"Key",
              {{L"Name", L"HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows "
                         L"Messaging Subsystem\\Profiles"}}},
             {L"RegExpr", {{L"#text", L"(?i)[0-9]{5}(DISP|EDI)"}}},
         }},
    };
}

void ExpectElement(const TXmlNode& node, const TElement& expected, const std::wstring& where) {
    ASSERT_TRUE(node.IsElement()) << WideToUtf8(where);
    EXPECT_EQ(node.NodeName(), expected.Name) << WideToUtf8(where);
    std::vector<std::wstring> names;
    for (const auto& [name, value] : expected.Attrs) {
        if (name == L"#text") {
            EXPECT_EQ(node.Text(), value) << WideToUtf8(where);
            continue;
        }
        names.push_back(name);
        EXPECT_EQ(node.Attribute(name), value) << WideToUtf8(where + L" " + name);
    }
    auto actual = node.AttributeNames();
    std::sort(actual.begin(), actual.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(actual, names) << WideToUtf8(where);
}

class DefaultScript : public testing::Test {
protected:
    TComInit FCom;
    test::TDataModule FProgram{test::ProgramPath()};
};

TEST_F(DefaultScript, IsStoredAsUtf8WithByteOrderMark) {
    HRSRC info = FindResourceW(FProgram.Handle(), L"UNINSTALL", L"XML");
    ASSERT_NE(info, nullptr);
    const auto* bytes =
        static_cast<const unsigned char*>(LockResource(LoadResource(FProgram.Handle(), info)));
    ASSERT_GT(SizeofResource(FProgram.Handle(), info), 3u);
    EXPECT_EQ(bytes[0], 0xEF);
    EXPECT_EQ(bytes[1], 0xBB);
    EXPECT_EQ(bytes[2], 0xBF);
    EXPECT_EQ(bytes[3], '<');
}

TEST_F(DefaultScript, HoldsTheFifteenGroupsInOrder) {
    auto doc = TXmlDocument::Parse(TMisc::GetResource(L"UNINSTALL", L"XML", FProgram.Handle()));
    TXmlNode root = doc->DocumentElement();
    EXPECT_EQ(root.NodeName(), L"NorvaUninstall");
    EXPECT_EQ(root.Attribute(L"Version"), L"1.0");
    EXPECT_EQ(root.Attribute(L"Delay"), L"10");
    ASSERT_TRUE(root.Child(0).IsComment());
    EXPECT_EQ(root.Child(0).Text(), L"*** Keep Node Order ***");

    const auto groups = ExpectedGroups();
    ASSERT_EQ(root.ChildCount(), static_cast<int>(groups.size()) + 1);
    for (size_t g = 0; g < groups.size(); ++g) {
        TXmlNode group = root.Child(static_cast<int>(g) + 1);
        const std::wstring where = L"group " + std::to_wstring(g + 1) + L" " + groups[g].Name;
        EXPECT_EQ(group.NodeName(), groups[g].Name) << WideToUtf8(where);
        EXPECT_TRUE(group.AttributeNames().empty()) << WideToUtf8(where);
        ASSERT_EQ(group.ChildCount(), static_cast<int>(groups[g].Elements.size()))
            << WideToUtf8(where);
        for (size_t e = 0; e < groups[g].Elements.size(); ++e)
            ExpectElement(group.Child(static_cast<int>(e)), groups[g].Elements[e],
                          where + L" element " + std::to_wstring(e + 1));
    }
}

TEST_F(DefaultScript, LoadsWithItsDelay) {
    test::TRecordingView view;
    TUninstallEngine engine(view, FProgram.Handle());
    engine.LoadXml();
    EXPECT_EQ(engine.Delay(), 10u);
}

} // namespace
