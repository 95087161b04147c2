#include "logconfig/AppenderConfig.h"
#include "core/Format.h"
#include "logconfig/ConfigDefaults.h"
#include "logconfig/EventViewerConfig.h"
#include "logconfig/TextFileConfig.h"
#include "logconfig/TraceTypesConfig.h"
#include "logging/appenders/NorvaAppenderDbMon.h"
#include "logging/support/DateFormat.h"
#include "logging/support/LoggerError.h"

std::wstring ConfigDefaults::DateFormat() {
    return LocaleFormatSettings().ShortDateFormat;
}

std::wstring ConfigDefaults::TimeFormat() {
    return LocaleFormatSettings().LongTimeFormat;
}

std::unique_ptr<TAppenderConfig> TAppenderConfig::For(TNorvaAppender& Appender) {
    if (auto file = dynamic_cast<TNorvaAppenderTextFile*>(&Appender))
        return std::make_unique<TTextFileConfig>(*file);
    if (auto events = dynamic_cast<TNorvaAppenderEventViewer*>(&Appender))
        return std::make_unique<TEventViewerConfig>(*events);
    if (dynamic_cast<TNorvaAppenderDbMon*>(&Appender))
        return std::make_unique<TTraceTypesConfig>(Appender,
                                                   TNorvaAppenderDbMon::DefaultTraceTypes);
    return std::make_unique<TAppenderConfig>(Appender);
}

std::wstring TAppenderConfig::KeyOf(const std::wstring& TraceKey, const std::wstring& sub) const {
    std::wstring key = TraceKey + L"\\" + Tag();
    return sub.empty() ? key : key + L"\\" + sub;
}

void TAppenderConfig::CreateKey(TRegistry& Reg, const std::wstring& Key) {
    if (!Reg.OpenKey(Key, true))
        throw ELoggerError(Format(L"OpenKey(%s) failed", {Key}));
}
