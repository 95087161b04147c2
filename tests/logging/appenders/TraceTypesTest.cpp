#include "logging/support/LoggerError.h"
#include "logging/appenders/TraceTypes.h"

#include <gtest/gtest.h>

namespace {

TEST(TraceTypes, SetsConvertToAndFromText) {
    const std::pair<const wchar_t*, TTraceTypes> cases[] = {
        {L"Information,Warning", {ttInformation, ttWarning}},
        {L"information;DEBUG", {ttInformation, ttDebug}},
        {L"Reporting", {ttReporting}},
        {L"Error,error", {ttError}},
        {L"", {}},
    };
    for (const auto& [text, set] : cases)
        EXPECT_EQ(StrToTraceTypes(text), set) << testing::PrintToString(text);

    EXPECT_EQ(TraceTypesToStr(AllWritableTraceTypes), L"Information,Warning,Error,Debug");
    EXPECT_EQ(TraceTypesToStr({}), L"");
    EXPECT_EQ(TraceTypesToStr({ttReporting, ttWarning}), L"Warning,Reporting");
    EXPECT_EQ(AllWritableTraceTypes.Byte(), 15);
}

TEST(TraceTypes, UnknownNamesRaiseWithTheName) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"Information, Warning", L"Unknown trace type \" Warning\""}, // the blank stays
        {L"Information,,Warning", L"Unknown trace type \"\""},
        {L"Information;", L"Unknown trace type \"\""},
        {L"Verbose", L"Unknown trace type \"Verbose\""},
    };
    for (const auto& [text, message] : cases) {
        try {
            StrToTraceTypes(text);
            ADD_FAILURE() << "no exception for " << testing::PrintToString(text);
        } catch (const ELoggerError& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }
    EXPECT_EQ(StrToTraceType(L"wArNiNg"), ttWarning);
    EXPECT_THROW(StrToTraceType(L"Warning "), ELoggerError);
}

TEST(TraceTypes, LevelLettersAreFoundAnywhere) {
    const std::pair<const wchar_t*, TTraceTypes> cases[] = {
        {L"WE", {ttWarning, ttError}},
        {L"debug", {ttDebug, ttError}}, // "debug" holds an "e"
        {L"i", {ttInformation}},
        {L"", {}},
        {L"xyz", {}},
    };
    for (const auto& [text, set] : cases)
        EXPECT_EQ(TraceLevelToTraceTypes(text), set) << testing::PrintToString(text);
}

} // namespace
