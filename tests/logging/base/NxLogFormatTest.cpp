#include "logging/support/Base64.h"
#include "logging/LoggingFixtures.h"
#include "logging/base/NxLogFormaterDefault.h"

#include <gtest/gtest.h>

namespace {

TNxLoggerMessage Sample(const std::wstring& module, const std::wstring& text) {
    TNxLoggerMessage m(L"X", L"3000", L"u", NXLL_WARN, module, text, L"none", L"", L"4242",
                       nullptr);
    m.setLogTimestamp(test::DateTimeOf(2024, 1, 31, 14, 3, 27, 123));
    return m;
}

void ExpectSameFields(const TNxLoggerMessage& got, const TNxLoggerMessage& want) {
    EXPECT_EQ(got.getApplicationId(), want.getApplicationId());
    EXPECT_DOUBLE_EQ(got.getTimestamp(), want.getTimestamp());
    EXPECT_EQ(got.getLevel(), want.getLevel());
    EXPECT_EQ(got.getModule(), want.getModule());
    EXPECT_EQ(got.getMessage(), want.getMessage());
    EXPECT_EQ(got.getInstanceId(), want.getInstanceId());
    EXPECT_EQ(got.getLogUser(), want.getLogUser());
    EXPECT_EQ(got.getCategory(), want.getCategory());
    EXPECT_EQ(got.getLanguage(), want.getLanguage());
    EXPECT_EQ(got.getThreadId(), want.getThreadId());
}

TEST(NxLogFormat, PlainLinesReplaceBars) {
    TNxLogFormaterDefault f;
    EXPECT_EQ(f.formatMessage(Sample(L"Svc", L"a|b")),
              L"X|2024.01.31 14:03:27.123|warn.Svc|a-b|3000|u|none||4242");
    EXPECT_EQ(f.formatMessage(Sample(L"", L"a|b")),
              L"X|2024.01.31 14:03:27.123|warn|a-b|3000|u|none||4242");
    Exception e(L"boom");
    TNxLoggerMessage error(L"X", L"1", L"u", NXLL_ERROR, L"", L"m", L"", L"", L"7", &e);
    error.setLogTimestamp(test::DateTimeOf(2024, 2, 1));
    EXPECT_EQ(f.formatMessage(error), L"X|2024.02.01|exception|m|1|u|||7");
}

TEST(NxLogFormat, ParsingGivesBackTheFields) {
    TNxLogFormaterDefault f;
    auto parsed = f.parseMessage(L"X|2024.01.31 14:03:27.123|warn.Svc.Sub|a-b|3000|u|none||4242");
    ASSERT_TRUE(parsed);
    ExpectSameFields(*parsed, Sample(L"Svc.Sub", L"a-b"));

    // Fields after the message are optional; a missing thread id is the parsing thread's.
    auto shortLine = f.parseMessage(L"X|2024.01.31 14:03:27|debug|m");
    ASSERT_TRUE(shortLine);
    EXPECT_EQ(shortLine->getLevel(), NXLL_DEBUG);
    EXPECT_EQ(shortLine->getModule(), L"");
    EXPECT_EQ(shortLine->getThreadId(), std::to_wstring(GetCurrentThreadId()));
}

TEST(NxLogFormat, UnreadableLinesGiveNone) {
    TNxLogFormaterDefault f;
    for (const wchar_t* bad : {L"", L"X|2024.01.31 14:03:27|warn", L"X|yesterday|warn|m",
                               L"X|2024.01.31 14:03:27.12x|warn|m", L"X|2024.01.31||m"})
        EXPECT_FALSE(f.parseMessage(bad)) << bad;
}

TEST(NxLogFormat, RoundTripsThroughBothForms) {
    TNxLogFormaterDefault f;
    for (const wchar_t* module : {L"", L"Svc", L"a.b.c"}) {
        TNxLoggerMessage plain = Sample(module, L"plain text");
        auto back = f.parseMessage(f.formatMessage(plain));
        ASSERT_TRUE(back);
        ExpectSameFields(*back, plain);

        // Bars, line breaks and characters outside ANSI survive only the Base64 form.
        TNxLoggerMessage rich = Sample(module, L"a|b\r\nc \x20AC \x4E2D");
        rich.setLogUser(L"Jos\xE9|x");
        auto richBack = f.parseMessageBase64(f.formatMessageBase64(rich));
        ASSERT_TRUE(richBack);
        ExpectSameFields(*richBack, rich);
    }
}

TEST(NxLogFormat, Base64LineEncodesTheTextFields) {
    TNxLogFormaterDefault f;
    EXPECT_EQ(f.formatMessageBase64(Sample(L"Svc", L"a|b")),
              L"WA==|2024.01.31 14:03:27.123|warn.U3Zj|YXxi|MzAwMA==|dQ==|bm9uZQ==||4242");
    EXPECT_THROW(f.parseMessageBase64(L"WA=|2024.01.31|warn|YXxi"), EConvertError);
}

TEST(Base64, StandardAlphabetOverUtf8) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"", L""},        {L"f", L"Zg=="},    {L"fo", L"Zm8="},
        {L"foo", L"Zm9v"}, {L"\xE9", L"w6k="}, {L"\x20AC?>", L"4oKsPz4="}};
    for (const auto& [text, encoded] : cases) {
        EXPECT_EQ(EncodeBase64(text), encoded);
        EXPECT_EQ(DecodeBase64(encoded), text);
    }
    for (const wchar_t* bad : {L"Zg=", L"Z===", L"Zm9v!A==", L"=Zg="})
        EXPECT_THROW(DecodeBase64(bad), EConvertError) << bad;
}

} // namespace
