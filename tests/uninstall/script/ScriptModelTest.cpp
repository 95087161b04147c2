#include "core/Exception.h"
#include "core/Text.h"
#include "sys/com/ComInit.h"
#include "uninstall/script/CommaText.h"
#include "uninstall/script/Mask.h"
#include "uninstall/script/ScriptAttributes.h"

#include <gtest/gtest.h>

namespace {

const std::wstring NullToOleStr = L"Could not convert variant of type (Null) into type (OleStr)";
const std::wstring NullToBoolean = L"Could not convert variant of type (Null) into type (Boolean)";
const std::wstring OleStrToBoolean =
    L"Could not convert variant of type (OleStr) into type (Boolean)";

// The message a reading raises, or "" when it succeeds.
template <class F> std::wstring ErrorOf(F Read) {
    try {
        Read();
        return L"";
    } catch (const EVariantTypeCastError& e) {
        return e.Message();
    }
}

class AttributeReading : public testing::Test {
protected:
    TXmlNode Element(const std::wstring& Attributes) {
        FDoc = TXmlDocument::Parse(L"<File " + Attributes + L"/>");
        return FDoc->DocumentElement();
    }

    TComInit FCom;
    std::unique_ptr<TXmlDocument> FDoc;
};

TEST_F(AttributeReading, Texts) {
    TXmlNode node = Element(L"Path=\" C:\\x \" Mask=\"\"");
    EXPECT_EQ(ScriptAttr::RequiredText(node, L"Path"), L" C:\\x ");
    EXPECT_EQ(ScriptAttr::RequiredText(node, L"Mask"), L"");
    EXPECT_EQ(ErrorOf([&] { ScriptAttr::RequiredText(node, L"Name"); }), NullToOleStr);
    EXPECT_EQ(ErrorOf([&] { ScriptAttr::RequiredText(node, L"path"); }), NullToOleStr);
    EXPECT_EQ(ScriptAttr::OptionalText(node, L"Exclude", L"none"), L"none");
    EXPECT_EQ(ScriptAttr::OptionalText(node, L"Mask", L"none"), L"");
}

TEST(YesNoByWord, OnlyTrueInAnyCaseIsTrue) {
    for (const wchar_t* text : {L"True", L"true", L"TRUE", L"tRuE"})
        EXPECT_TRUE(ScriptAttr::WordBool(text)) << WideToUtf8(text);
    for (const wchar_t* text : {L"1", L"yes", L"", L" True", L"True ", L"False", L"-1"})
        EXPECT_FALSE(ScriptAttr::WordBool(text)) << WideToUtf8(text);
}

TEST_F(AttributeReading, YesNoByValue) {
    struct TCase {
        const wchar_t* Text;
        bool Value;
    };
    const TCase cases[] = {
        {L"true", true}, {L"TRUE", true}, {L"False", false}, {L"1", true},   {L"0", false},
        {L"-1", true},   {L"2", true},    {L"0.0", false},   {L" 1 ", true}, {L"1.5", true},
    };
    for (const auto& c : cases) {
        TXmlNode node = Element(std::wstring(L"Recursive=\"") + c.Text + L"\"");
        EXPECT_EQ(ScriptAttr::RequiredValueBool(node, L"Recursive"), c.Value) << WideToUtf8(c.Text);
        EXPECT_EQ(ScriptAttr::OptionalValueBool(node, L"Recursive"), c.Value) << WideToUtf8(c.Text);
    }
    for (const wchar_t* text : {L"yes", L"", L"on", L"0x1", L"1a", L"T", L"nan", L"inf"}) {
        TXmlNode node = Element(std::wstring(L"Recursive=\"") + text + L"\"");
        EXPECT_EQ(ErrorOf([&] { ScriptAttr::RequiredValueBool(node, L"Recursive"); }),
                  OleStrToBoolean)
            << WideToUtf8(text);
        EXPECT_EQ(ErrorOf([&] { ScriptAttr::OptionalValueBool(node, L"Recursive"); }),
                  OleStrToBoolean)
            << WideToUtf8(text);
    }
    TXmlNode missing = Element(L"");
    EXPECT_EQ(ErrorOf([&] { ScriptAttr::RequiredValueBool(missing, L"Recursive"); }),
              NullToBoolean);
    EXPECT_FALSE(ScriptAttr::OptionalValueBool(missing, L"LocalOnly"));
}

TEST(Masks, Matching) {
    struct TCase {
        const wchar_t* Text;
        const wchar_t* Mask;
        bool Matches;
    };
    const TCase cases[] = {
        {L"kv_comp.dll", L"kv_*.*", true},
        {L"KV_COMP.DLL", L"kv_*.*", true},
        {L"kv_comp", L"kv_*.*", false},
        {L"", L"*", true},
        {L"abc", L"*", true},
        {L"abc", L"a*c", true},
        {L"ac", L"a*c", true},
        {L"abcd", L"a*c", false},
        {L"abc", L"a?c", true},
        {L"ac", L"a?c", false},
        {L"My Norva Link.lnk", L"*Norva*.lnk", true},
        {L"norva.lnk.bak", L"*Norva*.lnk", false},
        {L"C:\\Pf\\Velmarix\\MySql\\data", L"*\\Velmarix\\MySql\\*", true},
        {L"C:\\Pf\\Velmarix\\MySqlX", L"*\\Velmarix\\MySql\\*", false},
        {L"file7.txt", L"file[0-9].txt", true},
        {L"fileX.txt", L"file[0-9].txt", false},
        {L"fileX.txt", L"file[!0-9].txt", true},
        {L"file7.txt", L"file[!0-9].txt", false},
        {L"B", L"[a-c]", true},
        {L"b", L"[A-C]", true},
        {L"d", L"[abc]", false},
        {L"-", L"[!a]", true},
        {L"x", L"[z-a]", false},
        {L"\u00e9", L"\u00c9", false}, // only ASCII letters ignore case
        {L"a*b", L"a*b", true},
        {L"aXbXb", L"*b*b", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesMask(c.Text, c.Mask), c.Matches)
            << WideToUtf8(c.Text) << " ~ " << WideToUtf8(c.Mask);
}

TEST(Masks, MalformedSetIsAnError) {
    for (const wchar_t* mask : {L"[abc", L"a[", L"[]", L"[!]", L"[a-]", L"[-a]", L"x[a-"}) {
        try {
            TMask m(mask);
            ADD_FAILURE() << "accepted " << WideToUtf8(mask);
        } catch (const EMaskException& e) {
            EXPECT_EQ(
                e.Message().rfind(L"'" + std::wstring(mask) + L"' is an invalid mask at (", 0), 0u)
                << WideToUtf8(e.Message());
        }
    }
}

TEST(CommaLists, Splitting) {
    using TList = std::vector<std::wstring>;
    struct TCase {
        const wchar_t* Text;
        bool Semicolons;
        TList Items;
    };
    const TCase cases[] = {
        {L"kv_trdc1.dll,KestraBeid.dll,RinseKit.dll",
         false,
         {L"kv_trdc1.dll", L"KestraBeid.dll", L"RinseKit.dll"}},
        {L"", false, {}},
        {L"   ", false, {}},
        {L"a.dll; b.dll", false, {L"a.dll;", L"b.dll"}},
        {L"a.dll; b.dll", true, {L"a.dll", L"b.dll"}},
        {L"a;b;;c", true, {L"a", L"b", L"", L"c"}},
        {L"a b\tc", false, {L"a", L"b", L"c"}},
        {L" a , b ", false, {L"a", L"b"}},
        {L"a,,b", false, {L"a", L"", L"b"}},
        {L"a,", false, {L"a", L""}},
        {L"a, ", false, {L"a"}},
        {L"\"My Folder\\*\",b", false, {L"My Folder\\*", L"b"}},
        {L"\"x,y\"", false, {L"x,y"}},
        {L"\"say \"\"hi\"\"\"", false, {L"say \"hi\""}},
        {L"\"open", false, {L"open"}},
        {L"*\\Velmarix\\MySql\\*,*\\Velmarix\\Data\\*",
         false,
         {L"*\\Velmarix\\MySql\\*", L"*\\Velmarix\\Data\\*"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommaTextList(c.Text, c.Semicolons), c.Items) << WideToUtf8(c.Text);
}

} // namespace
