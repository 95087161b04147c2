#include "core/Exception.h"
#include "core/Text.h"
#include "sys/com/ComInit.h"
#include "sys/com/MsXml.h"
#include "sys/com/XmlUtils.h"

#include <gtest/gtest.h>

namespace {

class XmlTest : public testing::Test {
protected:
    TXmlNode Root(const std::wstring& text) {
        FDoc = TXmlDocument::Parse(text);
        return FDoc->DocumentElement();
    }

    TComInit FCom;
    std::unique_ptr<TXmlDocument> FDoc;
};

TEST_F(XmlTest, KeepsCommentsAndDropsWhiteSpaceBetweenElements) {
    TXmlNode root = Root(L"<r>\r\n  <!-- note -->\r\n  <a x=\"1\"/>\r\n\t<b>  text  </b>\r\n</r>");
    ASSERT_EQ(root.ChildCount(), 3);
    EXPECT_TRUE(root.Child(0).IsComment());
    EXPECT_EQ(root.Child(0).NodeName(), L"#comment");
    EXPECT_EQ(root.Child(0).Text(), L" note ");
    EXPECT_TRUE(root.Child(1).IsElement());
    EXPECT_EQ(root.Child(1).NodeName(), L"a");
    EXPECT_EQ(root.Child(2).Text(), L"text");
    EXPECT_FALSE(root.Child(3).Assigned());
}

TEST_F(XmlTest, TextBetweenElementsIsANode) {
    TXmlNode root = Root(L"<r><a/>stray<b/></r>");
    ASSERT_EQ(root.ChildCount(), 3);
    EXPECT_EQ(root.Child(1).NodeName(), L"#text");
    EXPECT_EQ(root.Child(1).NodeType(), NODE_TEXT);
}

TEST_F(XmlTest, FirstChildElementMatchesTheExactName) {
    TXmlNode root = Root(L"<r><!--c--><key n=\"0\"/><Key n=\"1\"/><Key n=\"2\"/></r>");
    EXPECT_EQ(root.FirstChildElement(L"Key").Attribute(L"n"), L"1");
    EXPECT_FALSE(root.FirstChildElement(L"KEY").Assigned());
}

// Windows names the fault and its line; Wine's parser says only "error" at line 0, so the
// test holds the message's shape.
TEST_F(XmlTest, ParseErrorGivesReasonAndLine) {
    for (const wchar_t* text : {L"<r>\n<a>\n</r>", L"", L"<r/><r/>", L"plain text"}) {
        try {
            TXmlDocument::Parse(text);
            ADD_FAILURE() << "parsed: " << WideToUtf8(text);
        } catch (const Exception& e) {
            std::wstring msg = e.Message();
            EXPECT_EQ(msg.rfind(L"XML parse error: ", 0), 0u) << WideToUtf8(msg);
            size_t line = msg.rfind(L" (line ");
            ASSERT_NE(line, std::wstring::npos) << WideToUtf8(msg);
            EXPECT_GT(line, std::wstring(L"XML parse error: ").size()) << WideToUtf8(msg);
            EXPECT_EQ(msg.back(), L')');
        }
    }
}

TEST_F(XmlTest, NodeAttributeWithDefault) {
    TXmlNode root = Root(L"<r Recursive=\"\" Mask=\" *.dll \"/>");
    EXPECT_EQ(TXml::NodeAttribute(root, L"Recursive", L"true"), L"");
    EXPECT_EQ(TXml::NodeAttribute(root, L"Regasm", L"0"), L"0");
    EXPECT_EQ(TXml::NodeAttribute(root, L"Mask", L""), L" *.dll ");
    // Attribute names are compared exactly.
    EXPECT_EQ(TXml::NodeAttribute(root, L"mask", L"none"), L"none");
    EXPECT_EQ(TXml::NodeAttribute(TXmlNode(), L"Recursive", L"true"), L"true");
}

TEST_F(XmlTest, MandatoryNodeAttribute) {
    TXmlNode root = Root(L"<r Name=\"\"/>");
    EXPECT_EQ(TXml::NodeAttribute(root, L"Name"), L"");
    try {
        TXml::NodeAttribute(root, L"Path");
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Mandatory attribute \"Path\" not found");
    }
}

} // namespace
