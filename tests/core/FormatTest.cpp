#include "core/Exception.h"
#include "core/Format.h"

#include <gtest/gtest.h>

namespace {

struct TFormatCase {
    const wchar_t* Format;
    TVarRecs Args;
    const wchar_t* Expected;
};

class FormatTest : public testing::TestWithParam<TFormatCase> {};

TEST_P(FormatTest, FormatsLikeTheSystem) {
    const auto& c = GetParam();
    EXPECT_EQ(Format(c.Format, c.Args), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatTest,
    testing::Values(TFormatCase{L"plain text", {}, L"plain text"},
                    TFormatCase{L"%s and %s", {L"a", std::wstring(L"b")}, L"a and b"},
                    TFormatCase{L"%d|%d", {42, -7}, L"42|-7"},
                    TFormatCase{L"%u", {-1}, L"4294967295"}, TFormatCase{L"%x", {0x1ABC}, L"1ABC"},
                    TFormatCase{L"%x", {-1}, L"FFFFFFFF"}, TFormatCase{L"%.8x", {255}, L"000000FF"},
                    TFormatCase{L"%.3d", {-5}, L"-005"},
                    TFormatCase{L"[%5d][%-5d]", {42, 42}, L"[   42][42   ]"},
                    TFormatCase{
                        L"[%6s][%-6s][%.2s]", {L"abc", L"abc", L"abc"}, L"[   abc][abc   ][ab]"},
                    TFormatCase{L"[%*d]", {4, 7}, L"[   7]"},
                    TFormatCase{L"%1:s %0:s %s", {L"a", L"b", L"c"}, L"b a b"},
                    TFormatCase{L"100%% of %S", {L"it"}, L"100% of it"},
                    TFormatCase{L"%d extra ignored", {1, 2, 3}, L"1 extra ignored"},
                    TFormatCase{L"%d", {static_cast<long long>(-5000000000LL)}, L"-5000000000"}));

TEST(FormatErrors, AFormatThatDoesNotFitItsArgumentsRaises) {
    const std::vector<std::pair<const wchar_t*, TVarRecs>> bad = {
        {L"%d", {L"text"}},   // text for a number
        {L"%s", {5}},         // number for a text
        {L"%s %s", {L"one"}}, // missing argument
        {L"%q", {1}},         // unknown type
        {L"ends with %", {}}, // dangling percent
        {L"%5:s", {L"a"}},    // index past the arguments
    };
    for (const auto& [format, args] : bad)
        EXPECT_THROW(Format(format, args), EConvertError) << testing::PrintToString(format);
}

TEST(FormatErrors, MessageNamesTheFormat) {
    try {
        Format(L"%d items", {L"x"});
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), L"Format '%d items' invalid or incompatible with argument");
    }
}

} // namespace
