#include "core/Exception.h"
#include "core/Text.h"
#include "support/TestSupport.h"
#include "sys/com/ComInit.h"
#include "sys/com/MsXml.h"

#include <gtest/gtest.h>

namespace {

class XmlFile : public testing::Test {
protected:
    TComInit Com;
    test::TTempFolder Folder;
    const std::wstring Path = Folder.Path() + L"doc.xml";
};

// What is saved reads back as the same document: text and attributes escaped, comments,
// processing instructions, CDATA and mixed content kept.
TEST_F(XmlFile, ASavedDocumentReadsBackTheSame) {
    auto doc = TXmlDocument::Parse(
        L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><!-- top --><r>"
        L"<a q=\"say &quot;x&quot; &lt;&amp;&gt; &#10;\tend\">x &lt; y &amp; z &gt; w</a>"
        L"<?pi data?><b><![CDATA[ <raw> & ]]></b><c>mixed<d/>text</c>"
        L"<e>caf\x00E9 \x20AC</e><f/></r>");
    doc->Save(Path);
    std::string bytes = test::ReadTextFile(Path);
    EXPECT_EQ(
        bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- top -->\r\n<r>\r\n", 0), 0u)
        << bytes;
    EXPECT_NE(bytes.find("  <e>caf\xC3\xA9 \xE2\x82\xAC</e>\r\n"), std::string::npos) << bytes;
    auto again = TXmlDocument::Load(Path);
    EXPECT_EQ(again->DocumentElement().Xml(), doc->DocumentElement().Xml());
    EXPECT_EQ(again->DocumentElement().FirstChildElement(L"a").Attribute(L"q"),
              L"say \"x\" <&> \n end"); // the literal tab was a blank once parsed
    EXPECT_EQ(again->DocumentElement().FirstChildElement(L"b").Text(), L" <raw> & ");
}

TEST_F(XmlFile, EditingAnElement) {
    auto doc = TXmlDocument::Parse(L"<r x=\"1\" y=\"2\"><old/>text</r>");
    TXmlNode root = doc->DocumentElement();
    root.RemoveAttributes();
    root.RemoveChildren();
    EXPECT_TRUE(root.AttributeNames().empty());
    EXPECT_EQ(root.ChildCount(), 0);
    root.SetAttribute(L"Active", L"True");
    root.AppendElement(L"Child").SetText(L"a < b");
    root.AppendElement(L"Blank").SetCData(L" - ");
    doc->Save(Path);
    EXPECT_EQ(test::ReadTextFile(Path), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                        "<r Active=\"True\">\r\n"
                                        "  <Child>a &lt; b</Child>\r\n"
                                        "  <Blank><![CDATA[ - ]]></Blank>\r\n"
                                        "</r>\r\n");
    EXPECT_EQ(root.FirstChildElement(L"Blank").Text(), L" - ");
}

TEST_F(XmlFile, LoadingAFileThatIsMissingOrBrokenRaises) {
    try {
        TXmlDocument::Load(Path);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message().rfind(L"Cannot open file \"" + Path + L"\" (", 0), 0u)
            << WideToUtf8(e.Message());
    }
    test::WriteTextFile(Path, "<r><a></r>");
    try {
        TXmlDocument::Load(Path);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message().rfind(L"XML parse error: ", 0), 0u) << WideToUtf8(e.Message());
    }
}

} // namespace
