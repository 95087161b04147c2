#include "core/Exception.h"
#include "sys/shared/Misc.h"

#include <gtest/gtest.h>

namespace {

TEST(TMiscRemoveUnicodeHeader, DropsWhatPrecedesTheFirstTag) {
    EXPECT_EQ(TMisc::RemoveUnicodeHeader(L"abc"), L"abc");
    EXPECT_EQ(TMisc::RemoveUnicodeHeader(L"junk<a/>"), L"<a/>");
    EXPECT_EQ(TMisc::RemoveUnicodeHeader(L"<a/>x<b/>"), L"<a/>x<b/>");
    EXPECT_EQ(TMisc::RemoveUnicodeHeader(L""), L"");
}

// SAMPLE and SAMPLE_TEXT hold the same bytes: a UTF-8 byte-order mark and a small document.
TEST(TMiscGetResource, XmlTypeLosesTheByteOrderMarkWhateverItsCase) {
    const std::wstring expected = L"<?xml version=\"1.0\"?>\r\n<a/>";
    EXPECT_EQ(TMisc::GetResource(L"SAMPLE", L"XML", nullptr), expected);
    EXPECT_EQ(TMisc::GetResource(L"SAMPLE", L"xml", nullptr), expected);
    EXPECT_EQ(TMisc::GetResource(L"sample", L"Xml", GetModuleHandleW(nullptr)), expected);
}

TEST(TMiscGetResource, OtherTypesKeepEveryByteAsOneCharacter) {
    std::wstring text = TMisc::GetResource(L"SAMPLE_TEXT", L"TEXT", nullptr);
    // The mark is not recognised: its three bytes become three characters.
    ASSERT_EQ(text.size(), 3 + std::wstring(L"<?xml version=\"1.0\"?>\r\n<a/>").size());
    EXPECT_EQ(text.substr(3), L"<?xml version=\"1.0\"?>\r\n<a/>");
    EXPECT_NE(text[0], L'<');
}

TEST(TMiscGetResource, MissingResourceNamesItselfInTheMessage) {
    struct TCase {
        const wchar_t* Name;
        const wchar_t* Type;
    };
    for (TCase c : {TCase{L"UNINSTALL", L"XML"}, TCase{L"SAMPLE", L"TEXT"}}) {
        try {
            TMisc::GetResource(c.Name, c.Type, nullptr);
            ADD_FAILURE() << "found " << testing::PrintToString(std::wstring(c.Name));
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), std::wstring(L"GetResource(") + c.Name + L", " + c.Type +
                                       L") failed (Resource " + c.Name + L" not found)");
        }
    }
}

} // namespace
