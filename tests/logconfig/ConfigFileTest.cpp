#include "core/Text.h"
#include "logconfig/ConfigFixture.h"
#include "logconfig/LoggerConfig.h"
#include "logging/support/ProcessInfo.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class ConfigFile : public testing::Test {
protected:
    test::TTempFolder Folder;
};

// Saving goes by the extension; reading takes everything but ".xml" as an INI file.
TEST_F(ConfigFile, TheExtensionChoosesTheStore) {
    struct {
        const wchar_t* Name;
        const wchar_t* SaveError; // none: saved as INI
    } cases[] = {
        {L"a.ini", nullptr},
        {L"b.INI", nullptr},
        {L"c.cfg", L"Unknown save format (.cfg)"},
        {L"d.Conf", L"Unknown save format (.conf)"},
        {L"noext", L"Unknown save format ()"},
    };
    for (const auto& c : cases) {
        std::wstring path = Folder.Path() + c.Name;
        TNvLogger saved;
        saved.DbMon().SetActive(true);
        if (c.SaveError) {
            try {
                TLoggerConfig::SaveAs(saved, path, false);
                ADD_FAILURE() << WideToUtf8(c.Name);
            } catch (const Exception& e) {
                EXPECT_EQ(e.Message(), c.SaveError);
            }
            EXPECT_FALSE(test::FileExists(path));
            test::WriteTextFile(path, "[DbMon]\r\nActive=1\r\n");
        } else {
            TLoggerConfig::SaveAs(saved, path, false);
        }
        TNvLogger read;
        TLoggerConfig::Initialize(read, path);
        EXPECT_TRUE(read.DbMon().Active()) << WideToUtf8(c.Name);
    }
}

// A name without folder is the current folder's file, for the test that it exists and for the
// reading alike, never one in the Windows folder.
TEST_F(ConfigFile, ANameWithoutFolderIsInTheCurrentFolder) {
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(Folder.Path().c_str()));
    TNvLogger saved, read;
    saved.EventViewer().SetActive(true);
    TLoggerConfig::SaveAs(saved, L"relative.ini", false);
    TLoggerConfig::Initialize(read, L"relative.ini");
    SetCurrentDirectoryW(before);
    EXPECT_TRUE(test::FileExists(Folder.Path() + L"relative.ini"));
    EXPECT_TRUE(read.EventViewer().Active());
}

TEST_F(ConfigFile, NoNameReadsTheExecutablesIniFile) {
    std::wstring exe = ProcessInfo::ExePath();
    std::wstring ini = exe.substr(0, exe.rfind(L'.')) + L".ini";
    test::WriteTextFile(ini, "[TextFile]\r\nExtension=h3\r\n");
    TNvLogger read;
    TLoggerConfig::Initialize(read, L"");
    DeleteFileW(ini.c_str());
    EXPECT_EQ(read.TextFile().Extension(), L"h3");
}

TEST_F(ConfigFile, AMissingFileChangesNothing) {
    TNvLogger read;
    read.SetActive(false);
    std::wstring before = test::Settings(read);
    TLoggerConfig::Initialize(read, Folder.Path() + L"missing.ini");
    TLoggerConfig::Initialize(read, Folder.Path() + L"missing.xml");
    EXPECT_EQ(test::Settings(read), before);
}

// Saving into an XML file needs a document to save into; a file that is missing or broken
// fails the save and is left as it was.
TEST_F(ConfigFile, AnXmlFileThatCannotBeReadFailsTheSave) {
    TNvLogger saved;
    const std::wstring missing = Folder.Path() + L"missing.xml";
    try {
        TLoggerConfig::SaveAs(saved, missing, false);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message().rfind(L"Cannot open file \"" + missing + L"\" (", 0), 0u)
            << WideToUtf8(e.Message());
    }
    EXPECT_FALSE(test::FileExists(missing));
    const std::wstring broken = Folder.Path() + L"broken.xml";
    test::WriteTextFile(broken, "<Config><Trace></Config>");
    try {
        TLoggerConfig::SaveAs(saved, broken, false);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message().rfind(L"XML parse error: ", 0), 0u) << WideToUtf8(e.Message());
    }
    EXPECT_EQ(test::ReadTextFile(broken), "<Config><Trace></Config>");
}

// A broken XML file is no configuration: reading it raises the XML layer's error, and the
// logger keeps every setting it had.
TEST_F(ConfigFile, ABrokenXmlFileFailsTheReadingAndChangesNothing) {
    const std::wstring broken = Folder.Path() + L"broken.xml";
    test::WriteTextFile(broken, "<Config><Trace Active=\"0\"><TextFile Active=\"1\"></Config>");
    TNvLogger read;
    const std::wstring before = test::Settings(read);
    try {
        TLoggerConfig::Initialize(read, broken);
        ADD_FAILURE() << "a broken file was read";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message().rfind(L"XML parse error: ", 0), 0u) << WideToUtf8(e.Message());
    }
    EXPECT_EQ(test::Settings(read), before);
}

// What a program that reads its configuration printed, and what Wine printed for it on the
// eventlog channel.
std::string EventLogOf(const std::wstring& arguments) {
    size_t before = test::CapturedStderr().size();
    auto result =
        test::Run(L"\"" + test::HelperPath(L"logger_config_probe.exe") + L"\" " + arguments,
                  {L"WINEDEBUG=err+eventlog,warn+eventlog"}, 30000);
    return test::CapturedStderr().substr(before) + result.Output;
}

TEST_F(ConfigFile, ReadingFailuresAreReportedToTheEventLog) {
    std::string missing = EventLogOf(L"\"" + Folder.Path() + L"missing.ini\"");
    EXPECT_NE(missing.find("err:eventlog"), std::string::npos) << missing;
    EXPECT_NE(missing.find("TNvLogger.Initialize failed. IniFile ("), std::string::npos) << missing;
    EXPECT_NE(missing.find("missing.ini) not found."), std::string::npos) << missing;
    EXPECT_NE(missing.find("returned"), std::string::npos) << missing;

    std::wstring xml = Folder.Path() + L"bad.xml";
    test::WriteTextFile(xml, "<C><Trace><DbMon Active=\"1\"><TraceTypes>"
                             "<TraceType>Bogus</TraceType></TraceTypes></DbMon>"
                             "<TextFile Active=\"1\"/></Trace></C>");
    std::string bad = EventLogOf(L"\"" + xml + L"\"");
    EXPECT_NE(bad.find("TNorvaAppenderDbMon.Initialize failed (Unknown trace type \\\"Bogus\\\")"),
              std::string::npos)
        << bad;
    // The other appenders were still read.
    EXPECT_NE(bad.find("dbmon=1 textfile=1"), std::string::npos) << bad;
}

} // namespace
