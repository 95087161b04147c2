#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What a helper printed and what Wine printed for it on the eventlog channel.
std::string EventLogOf(const std::wstring& helper, const std::wstring& arguments) {
    size_t before = test::CapturedStderr().size();
    auto result = test::Run(L"\"" + test::HelperPath(helper) + L"\" " + arguments,
                            {L"WINEDEBUG=err+eventlog,warn+eventlog"}, 30000);
    return test::CapturedStderr().substr(before) + result.Output;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(AsyncReports, AnEntryTheWriterCannotWriteIsReportedAndWriteReturns) {
    test::TTempFolder folder;
    std::wstring missing = folder.Path() + L"missing";
    std::string out = EventLogOf(L"logging_writer.exe", L"async-nofile \"" + missing + L"\"");
    // One error entry per entry written, with the file error's message.
    EXPECT_EQ(Count(out, "TAsyncThread exception (Cannot create file"), 2u) << out;
    EXPECT_NE(out.find("returned"), std::string::npos) << out;
}

TEST(AsyncReports, AnEntryThatFailsWhileDrainingIsReportedAndTheRestIsWritten) {
    std::string out = EventLogOf(L"logger_probe.exe", L"async-drain \"disk on fire\"");
    EXPECT_NE(out.find("TAsyncThread exception (disk on fire)"), std::string::npos) << out;
    EXPECT_NE(out.find("written=first,a,b,"), std::string::npos) << out;
    EXPECT_NE(out.find("returned"), std::string::npos) << out;
}

} // namespace
