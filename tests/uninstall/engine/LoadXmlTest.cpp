#include "core/Exception.h"
#include "core/Text.h"
#include "support/RunRecorder.h"
#include "support/ScriptSupport.h"
#include "sys/com/ComInit.h"
#include "uninstall/engine/Engine.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::string Bom = "\xEF\xBB\xBF";

std::string Script(const std::string& RootAttributes, const std::string& Root = "NorvaUninstall") {
    return Bom + "<?xml version=\"1.0\"?>\r\n<" + Root + " " + RootAttributes +
           ">\r\n  <Folders/>\r\n</" + Root + ">\r\n";
}

class LoadXml : public testing::Test {
protected:
    // The message LoadXml raises for the script, or "" when it loads.
    std::wstring LoadError(const std::string& ScriptBytes) {
        test::TScriptModule module(ScriptBytes);
        TUninstallEngine engine(FView, module.Handle());
        try {
            engine.LoadXml();
            FDelay = engine.Delay();
            return L"";
        } catch (const Exception& e) {
            return e.Message();
        }
    }

    TComInit FCom;
    test::TRecordingView FView;
    uint32_t FDelay = 0;
};

TEST_F(LoadXml, ChecksRootNameAndVersion) {
    const std::wstring badRoot =
        L"LoadXml failed (Invalid Root name, expecting \"NorvaUninstall\".)";
    const std::wstring badVersion = L"LoadXml failed (Invalid version, expecting \"1.0\".)";
    struct TCase {
        std::string Script;
        std::wstring Error;
    };
    const TCase cases[] = {
        {Script("Version=\"1.0\""), L""},
        {Script("Version=\"1.0\"", "norvaUninstall"), badRoot},
        {Script("Version=\"1.0\"", "Uninstall"), badRoot},
        {Script("Version=\"1.00\""), badVersion},
        {Script("Version=\"1\""), badVersion},
        {Script("Version=\" 1.0\""), badVersion},
        {Script("Delay=\"10\""), badVersion},
        {Script("version=\"1.0\""), badVersion},
        // Without a byte-order mark the script loads as well.
        {"<NorvaUninstall Version=\"1.0\"/>", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoadError(c.Script), c.Error) << c.Script;
}

TEST_F(LoadXml, ReadsTheDelay) {
    struct TCase {
        const char* Attribute;
        uint32_t Delay;
    };
    const TCase cases[] = {
        {"", 0},
        {"Delay=\"abc\"", 200},
        {"Delay=\"0x1F\"", 31},
        {"Delay=\"$1f\"", 31},
        {"Delay=\" 50\"", 50},
        {"Delay=\"50ms\"", 200},
        {"Delay=\"50 \"", 200},
        {"Delay=\"\"", 200},
        {"Delay=\"0\"", 0},
        {"Delay=\"+7\"", 7},
        {"Delay=\"99999999999\"", 200},
    };
    for (const auto& c : cases) {
        FDelay = 12345;
        EXPECT_EQ(LoadError(Script(std::string("Version=\"1.0\" ") + c.Attribute)), L"")
            << c.Attribute;
        EXPECT_EQ(FDelay, c.Delay) << c.Attribute;
    }
}

// A negative pause would never end: it counts as none, and the trace says so.
TEST_F(LoadXml, NegativeDelayMeansNoPause) {
    test::TTraceRecorder trace;
    EXPECT_EQ(LoadError(Script("Version=\"1.0\" Delay=\"-5\"")), L"");
    EXPECT_EQ(FDelay, 0u);
    EXPECT_NE(std::find(trace.Lines.begin(), trace.Lines.end(),
                        L"TMainForm|  Negative Delay -5 ignored, no pause"),
              trace.Lines.end());
}

TEST_F(LoadXml, TracesItsEntry) {
    test::TTraceRecorder trace;
    LoadError(Script("Version=\"1.0\""));
    ASSERT_FALSE(trace.Lines.empty());
    EXPECT_EQ(trace.Lines.front(), L"TMainForm|LoadXml()");
}

TEST_F(LoadXml, ParseErrorIsWrapped) {
    std::wstring error =
        LoadError(Bom + "<NorvaUninstall Version=\"1.0\"><Folders></NorvaUninstall>");
    EXPECT_EQ(error.rfind(L"LoadXml failed (XML parse error: ", 0), 0u) << WideToUtf8(error);
}

TEST_F(LoadXml, MissingScriptNamesTheResource) {
    // The test program itself carries no script.
    TUninstallEngine engine(FView);
    try {
        engine.LoadXml();
        FAIL() << "loaded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"LoadXml failed (GetResource(UNINSTALL, XML) failed (Resource "
                               L"UNINSTALL not found))");
    }
    EXPECT_EQ(engine.Xml(), nullptr);
}

TEST_F(LoadXml, VariantCarriesItsOwnScript) {
    test::TDataModule variant(test::VariantPath(L"uninstall_minimal.exe"));
    TUninstallEngine engine(FView, variant.Handle());
    engine.LoadXml();
    EXPECT_EQ(engine.Delay(), 31u);
    engine.RunScript();
    EXPECT_EQ(FView.Phases(), (std::vector<std::wstring>{
                                  L"Uninstall in progress...", L"Removing Talveno folders...",
                                  L"Removing Shares...", L"Uninstall done."}));
}

} // namespace
