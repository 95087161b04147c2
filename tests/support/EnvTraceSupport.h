#pragma once
// Header only: needs the logging library, which test_support does not link.
#include "logging/Logger.h"
#include "logging/RecordingAppender.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test {

// One trace line as the appenders see it.
struct TTraceLine {
    TNxLoggerLevel Level;
    std::wstring Module;
    std::wstring Text;
    bool operator==(const TTraceLine& o) const {
        return Level == o.Level && Module == o.Module && Text == o.Text;
    }
};

inline void PrintTo(const TTraceLine& line, std::ostream* os) {
    *os << "{" << int(line.Level) << ", \"" << std::string(line.Module.begin(), line.Module.end())
        << "\", \"" << std::string(line.Text.begin(), line.Text.end()) << "\"}";
}

// A test whose trace lines are recorded from a fresh logger.
class TTracedTest : public testing::Test {
protected:
    void SetUp() override {
        TNvLogger::Reset();
        GetLogger().addAppender(&FAppender);
    }
    void TearDown() override { TNvLogger::Reset(); }

    std::vector<TTraceLine> Trace() const {
        std::vector<TTraceLine> lines;
        for (const auto& m : FAppender.Messages)
            lines.push_back({m.getLevel(), m.getModule(), m.getMessage()});
        return lines;
    }
    std::vector<TTraceLine> ErrorLines() const {
        std::vector<TTraceLine> lines;
        for (const auto& line : Trace())
            if (line.Level == NXLL_ERROR)
                lines.push_back(line);
        return lines;
    }
    void ClearTrace() { FAppender.Messages.clear(); }

private:
    TRecordingAppender FAppender;
};

} // namespace test
