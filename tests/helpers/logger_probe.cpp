// Writes through the logger facade with an appender that fails, so that a test can read
// what the framework reports to the event log (Wine prints it on its eventlog channel).
//   logger_probe plain-logger-error TEXT   appender raises ELoggerError TEXT, plain Write
//   logger_probe sender-failure TEXT       appender raises Exception TEXT, sender Write
//   logger_probe report-warning FORMAT     ReportWarning(FORMAT) without arguments
#include "logging/Logger.h"

#include <cstdio>
#include <string>

namespace {

class TFailingAppender : public TNxLogAppender {
public:
    TFailingAppender(bool loggerError, std::wstring text)
        : FLoggerError(loggerError), FText(std::move(text)) {}
    std::wstring ClassName() const override { return L"TFailingAppender"; }
    void append(TNxLoggerMessage&) override {
        if (FLoggerError)
            throw ELoggerError(FText);
        throw Exception(FText);
    }

private:
    bool FLoggerError;
    std::wstring FText;
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 2;
    std::wstring mode = argv[1], text = argv[2];
    if (mode == L"report-warning") {
        ReportWarning(text, {});
        return 0;
    }
    TFailingAppender appender(mode == L"plain-logger-error", text);
    GetLogger().addAppender(&appender);
    if (mode == L"plain-logger-error")
        GetLogger().Write(L"message", ttInformation);
    else if (mode == L"sender-failure")
        GetLogger().Write(TSenderText{L"TProbe"}, L"message", ttInformation);
    else
        return 2;
    std::puts("returned");
    return 0;
}
