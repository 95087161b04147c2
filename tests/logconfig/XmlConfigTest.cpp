#include "core/Text.h"
#include "logconfig/ConfigFixture.h"
#include "logconfig/LoggerConfig.h"
#include "logconfig/stores/XmlValues.h"
#include "support/TestSupport.h"
#include "sys/com/ComInit.h"

#include <gtest/gtest.h>

namespace {

class XmlConfig : public testing::Test {
protected:
    // The Trace element of a document given as text.
    TXmlNode TraceOf(const std::wstring& text) {
        Doc = TXmlDocument::Parse(text);
        return Doc->DocumentElement().FirstChildElement(L"Trace");
    }
    void Write(const std::string& text) { test::WriteTextFile(Xml, text); }
    std::string Read() { return test::ReadTextFile(Xml); }

    TComInit Com;
    std::unique_ptr<TXmlDocument> Doc;
    test::TTempFolder Folder;
    const std::wstring Xml = Folder.Path() + L"config.xml";
};

// Element and attribute names letter for letter, only what differs from the defaults, the
// document's other content kept, and the text re-indented as UTF-8 without byte order mark.
TEST_F(XmlConfig, SavesTheLayoutThePeersRead) {
    Write("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
          "<Config><Other a=\"1\">caf\xC3\xA9</Other></Config>");
    TNvLogger saved;
    saved.SetASyncDelay(100);
    TNorvaAppenderDbMon& dbmon = saved.DbMon();
    dbmon.SetActive(true);
    dbmon.SetTraceTypes({ttError});
    dbmon.SetSeparator(L" - ");
    dbmon.SetPrefixes({pfxDate, pfxTime, pfxProcID});
    dbmon.SetDateFormat(L"yyyy-mm-dd");
    TNorvaAppenderTextFile& file = saved.TextFile();
    file.SetOutputDir(L"C:\\logs\\");
    file.SetKeep(10);
    file.SetRefreshRate(rrHourly);
    file.SetNameFormat(nfDateName);
    file.SetKeepOpen(false);
    file.SetExtension(L"txt");
    file.SetHeaders({hdAppName, hdHost, hdUser});
    TLoggerConfig::SaveAs(saved, Xml, false);
    const std::string expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                 "<Config>\r\n"
                                 "  <Other a=\"1\">caf\xC3\xA9</Other>\r\n"
                                 "  <Trace Active=\"True\" ASyncDelay=\"100\">\r\n"
                                 "    <DbMon Active=\"True\">\r\n"
                                 "      <TraceTypes>\r\n"
                                 "        <TraceType>Error</TraceType>\r\n"
                                 "      </TraceTypes>\r\n"
                                 "      <Layout>\r\n"
                                 "        <Separator><![CDATA[ - ]]></Separator>\r\n"
                                 "        <Date Include=\"True\" Format=\"yyyy-mm-dd\"/>\r\n"
                                 "        <ProcessID Include=\"True\"/>\r\n"
                                 "        <ThreadID Include=\"False\"/>\r\n"
                                 "      </Layout>\r\n"
                                 "    </DbMon>\r\n"
                                 "    <EventViewer Active=\"False\" Source=\"\">\r\n"
                                 "      <TraceTypes>\r\n"
                                 "        <TraceType>Warning</TraceType>\r\n"
                                 "        <TraceType>Error</TraceType>\r\n"
                                 "      </TraceTypes>\r\n"
                                 "      <Layout/>\r\n"
                                 "    </EventViewer>\r\n"
                                 "    <TextFile Active=\"False\">\r\n"
                                 "      <TraceTypes>\r\n"
                                 "        <TraceType>Information</TraceType>\r\n"
                                 "        <TraceType>Warning</TraceType>\r\n"
                                 "        <TraceType>Error</TraceType>\r\n"
                                 "      </TraceTypes>\r\n"
                                 "      <Layout/>\r\n"
                                 "      <FileInfo>\r\n"
                                 "        <OutputDir ForceDir=\"False\">C:\\logs\\</OutputDir>\r\n"
                                 "        <RefreshRate>Hourly</RefreshRate>\r\n"
                                 "        <CleanUp Active=\"True\" Keep=\"10\"/>\r\n"
                                 "        <Extension>txt</Extension>\r\n"
                                 "        <KeepOpen>False</KeepOpen>\r\n"
                                 "        <NameFormat>DateName</NameFormat>\r\n"
                                 "      </FileInfo>\r\n"
                                 "      <Header>\r\n"
                                 "        <AppVersion Include=\"False\"/>\r\n"
                                 "        <Host Include=\"True\"/>\r\n"
                                 "      </Header>\r\n"
                                 "    </TextFile>\r\n"
                                 "  </Trace>\r\n"
                                 "</Config>\r\n";
    EXPECT_EQ(Read(), expected);
    // Saving again over its own output changes nothing.
    TLoggerConfig::SaveAs(saved, Xml, false);
    EXPECT_EQ(Read(), expected);
}

TEST_F(XmlConfig, EverySettingSurvivesASaveAndARead) {
    Write("<Config/>");
    TNvLogger saved, read;
    test::ConfigureEverything(saved, Folder.Path());
    TLoggerConfig::SaveAs(saved, Xml, false);
    TLoggerConfig::Initialize(read, Xml);
    EXPECT_EQ(test::Settings(read), test::Settings(saved));
    // The same through a document in memory, with the empty trace-type set XML can keep.
    TXmlNode trace = TraceOf(L"<Config><Trace/></Config>");
    saved.TextFile().SetTraceTypes({});
    TLoggerConfig::SaveAs(saved, trace, false);
    TNvLogger again;
    TLoggerConfig::Initialize(again, trace);
    EXPECT_EQ(test::Settings(again), test::Settings(saved));
}

// What an earlier save left behind goes: attributes of Trace, layout children, FileInfo.
TEST_F(XmlConfig, SavingTheDefaultsOverAnOlderSaveLeavesNothingOfIt) {
    TXmlNode trace = TraceOf(L"<Config><Trace Async=\"True\" Junk=\"1\">"
                             L"<DbMon Active=\"True\"><Layout><Host Include=\"True\"/></Layout>"
                             L"<TraceTypes><TraceType>Debug</TraceType></TraceTypes></DbMon>"
                             L"<TextFile><FileInfo><Extension>txt</Extension></FileInfo>"
                             L"<Header><User Include=\"False\"/></Header></TextFile>"
                             L"</Trace></Config>");
    TNvLogger saved, read;
    TLoggerConfig::SaveAs(saved, trace, false);
    EXPECT_EQ(trace.AttributeNames(), std::vector<std::wstring>{L"Active"});
    TXmlNode dbmon = trace.FirstChildElement(L"DbMon");
    EXPECT_EQ(dbmon.FirstChildElement(L"Layout").ChildCount(), 0);
    EXPECT_EQ(dbmon.FirstChildElement(L"TraceTypes").ChildCount(), 4);
    EXPECT_EQ(trace.FirstChildElement(L"TextFile").FirstChildElement(L"FileInfo").ChildCount(), 0);
    TLoggerConfig::Initialize(read, trace);
    EXPECT_EQ(test::Settings(read), test::Settings(saved));
}

TEST_F(XmlConfig, BooleanTexts) {
    struct {
        const wchar_t* Text;
        bool Expected; // read over a default of True
    } cases[] = {
        {L"True", true}, {L"TRUE", true}, {L"false", false}, {L"False", false},
        {L"0", false},   {L"1", true},    {L"-2", true},     {L"0.0", false},
        {L"yes", true},  {L"", true},     {L"off", true},
    };
    for (const auto& c : cases) {
        TNvLogger read;
        read.SetActive(false);
        read.TextFile().SetKeepOpen(false);
        TLoggerConfig::Initialize(read, TraceOf(L"<C><Trace Active=\"" + std::wstring(c.Text) +
                                                L"\"><TextFile><FileInfo><KeepOpen>" + c.Text +
                                                L"</KeepOpen></FileInfo></TextFile></Trace></C>"));
        EXPECT_EQ(read.Active(), c.Expected) << c.Text;
        EXPECT_EQ(read.TextFile().KeepOpen(), c.Expected) << c.Text;
    }
}

// Over a default of False: what is no finite number and no Boolean word gives the default.
TEST(XmlValues, NotANumberIsNoSwitch) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"nan", false}, {L"NaN", false}, {L"inf", false}, {L"-inf", false}, {L"1e999", false},
        {L"0x10", true}, {L"0x0", false}, {L"TRUE", true}, {L"2.5", true},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(XmlToBool(text, false), expected) << WideToUtf8(text);
}

// A failure in an appender's common part is reported and skips only the rest of that part.
TEST_F(XmlConfig, AnUnknownTraceTypeSkipsTheRestOfThatAppendersCommonPart) {
    TNvLogger read;
    TLoggerConfig::Initialize(
        read, TraceOf(L"<C><Trace><DbMon Active=\"True\">"
                      L"<TraceTypes><TraceType>Debug</TraceType><Other>x</Other>"
                      L"<TraceType>Bogus</TraceType></TraceTypes>"
                      L"<Layout><Separator>#</Separator></Layout></DbMon>"
                      L"<EventViewer Active=\"True\" Source=\"H3Xml\"/></Trace></C>"));
    EXPECT_TRUE(read.DbMon().Active());
    EXPECT_EQ(read.DbMon().TraceTypes(), TTraceTypes{ttDebug});
    EXPECT_EQ(read.DbMon().Separator(), L"|");
    EXPECT_TRUE(read.EventViewer().Active());
    EXPECT_EQ(read.EventViewer().Source(), L"H3Xml");
}

TEST_F(XmlConfig, LayoutChildrenThatAreMissingLeaveTheirColumn) {
    TNvLogger read;
    read.DbMon().SetPrefixes({pfxHost});
    read.DbMon().SetDateFormat(L"yy");
    TLoggerConfig::Initialize(
        read, TraceOf(L"<C><Trace><DbMon><Layout><Date Include=\"True\"/>"
                      L"<Time Include=\"False\" Format=\"hh\"/></Layout></DbMon></Trace></C>"));
    EXPECT_EQ(read.DbMon().Prefixes(), (TPrefixes{pfxDate, pfxHost}));
    EXPECT_EQ(read.DbMon().TimeFormat(), L"hh");
    // A Date without Format takes the locale's format.
    EXPECT_EQ(read.DbMon().DateFormat(), TNvLogger().DbMon().DateFormat());
}

TEST_F(XmlConfig, HeaderItemsAreReadOnlyWithFileInfo) {
    TNvLogger read;
    TLoggerConfig::Initialize(read, TraceOf(L"<C><Trace><TextFile><Header>"
                                            L"<User Include=\"False\"/></Header>"
                                            L"</TextFile></Trace></C>"));
    EXPECT_TRUE(read.TextFile().Headers().Contains(hdUser));
    TLoggerConfig::Initialize(read, TraceOf(L"<C><Trace><TextFile><FileInfo/><Header>"
                                            L"<User Include=\"False\"/></Header>"
                                            L"</TextFile></Trace></C>"));
    EXPECT_FALSE(read.TextFile().Headers().Contains(hdUser));
}

TEST_F(XmlConfig, ValuesThatCannotBeReadRaise) {
    struct {
        const wchar_t* Trace;
        const wchar_t* Message;
    } cases[] = {
        {L"<Trace><TextFile><FileInfo><RefreshRate/></FileInfo></TextFile></Trace>",
         L"Unknown refresh rate type \"\""},
        {L"<Trace><TextFile><FileInfo><RefreshRate>Monthly</RefreshRate></FileInfo></TextFile>"
         L"</Trace>",
         L"Unknown refresh rate type \"Monthly\""},
        {L"<Trace><TextFile><FileInfo><CleanUp Keep=\"ten\"/></FileInfo></TextFile></Trace>",
         L"'ten' is not a valid integer value"},
        {L"<Trace ASyncDelay=\"5ms\"/>", L"'5ms' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        TNvLogger read;
        try {
            TLoggerConfig::Initialize(read, TraceOf(L"<C>" + std::wstring(c.Trace) + L"</C>"));
            ADD_FAILURE() << WideToUtf8(c.Trace);
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
    }
}

TEST_F(XmlConfig, NoTraceElementAndNoNodeReadNothing) {
    TNvLogger read;
    read.SetActive(false);
    TLoggerConfig::Initialize(read, TraceOf(L"<C/>"));
    TLoggerConfig::Initialize(read, TXmlNode());
    EXPECT_FALSE(read.Active());
    // Saving into a document without Trace adds it.
    Write("<Config><Other/></Config>");
    TLoggerConfig::SaveAs(read, Xml, false);
    TLoggerConfig::Initialize(read, Xml);
    EXPECT_NE(Read().find("<Trace Active=\"False\">"), std::string::npos) << Read();
}

} // namespace
