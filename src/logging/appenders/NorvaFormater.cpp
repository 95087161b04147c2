#include "logging/appenders/NorvaFormater.h"
#include "core/Text.h"
#include "logging/appenders/ModuleInfo.h"
#include "logging/support/ProcessInfo.h"

TNorvaFormater::TNorvaFormater(const TNorvaAppender& AnAppender)
    : FAppender(AnAppender), FAppName(ProcessInfo::ExeFileName()),
      FAppVersion(GetModuleVersion(ProcessInfo::ExePath(), L"FileVersion")), FHost(GetLogHost()),
      FProcessId(ProcessInfo::InstanceId()), FUser(GetLogUser()) {}

std::wstring TNorvaFormater::formatMessage(const TNxLoggerMessage& aMessage) {
    // Settings may change between lines; take them as they are now.
    const std::wstring separator = FAppender.Separator();
    const TPrefixes prefixes = FAppender.Prefixes();
    std::wstring line;
    line.reserve(255);
    auto column = [&](const std::wstring& text) {
        line += text;
        line += separator;
    };
    std::wstring level =
        convertLevelToString(aMessage.getLevel(), aMessage.getException() != nullptr);
    column(AsciiUpper(level.substr(0, 1)));
    if (prefixes.Contains(pfxDate) || prefixes.Contains(pfxTime)) {
        const auto locale = LocaleFormatSettingsOfMinute(aMessage.getTimestamp());
        if (prefixes.Contains(pfxDate))
            column(FormatDateTime(FAppender.DateFormat(), aMessage.getTimestamp(), *locale));
        if (prefixes.Contains(pfxTime))
            column(FormatDateTime(FAppender.TimeFormat(), aMessage.getTimestamp(), *locale));
    }
    if (prefixes.Contains(pfxProcID))
        column(FProcessId);
    if (prefixes.Contains(pfxThreadID))
        column(aMessage.getThreadId());
    if (prefixes.Contains(pfxHost))
        column(FHost);
    if (prefixes.Contains(pfxAppName))
        column(FAppName);
    column(aMessage.getModule());
    column(aMessage.getMessage());
    return line;
}
