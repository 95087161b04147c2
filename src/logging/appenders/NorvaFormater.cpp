#include "logging/appenders/NorvaFormater.h"
#include "core/Text.h"
#include "logging/appenders/ModuleInfo.h"
#include "logging/support/ProcessInfo.h"

TNorvaFormater::TNorvaFormater(const TNorvaAppender& AnAppender)
    : FAppender(AnAppender), FAppName(ProcessInfo::ExeFileName()),
      FAppVersion(GetModuleVersion(ProcessInfo::ExePath(), L"FileVersion")), FHost(GetLogHost()),
      FProcessId(ProcessInfo::InstanceId()), FUser(GetLogUser()) {}

std::wstring TNorvaFormater::formatMessage(const TNxLoggerMessage& aMessage) {
    return Line(aMessage);
}

const std::wstring& TNorvaFormater::Line(const TNxLoggerMessage& aMessage) {
    auto& formatted = aMessage.formattedLine();
    // The layout of the line is that of its appender when it was formatted: settings may
    // change between lines.
    const auto* other = static_cast<const TNorvaAppender*>(formatted.Layout);
    if (other && other->LayoutVersion() == formatted.LayoutVersion && other->SameLayout(FAppender))
        return formatted.Text;
    formatted.Text.clear();
    Write(formatted.Text, aMessage);
    formatted.Layout = &FAppender;
    formatted.LayoutVersion = FAppender.LayoutVersion();
    return formatted.Text;
}

void TNorvaFormater::Write(std::wstring& Out, const TNxLoggerMessage& aMessage) const {
    const std::wstring& separator = FAppender.Separator();
    const TPrefixes prefixes = FAppender.Prefixes();
    Out.reserve(255);
    auto column = [&](const std::wstring& text) {
        Out += text;
        Out += separator;
    };
    // The level's first letter, upper case.
    const std::wstring level =
        convertLevelToString(aMessage.getLevel(), aMessage.getException() != nullptr);
    if (!level.empty())
        Out += static_cast<wchar_t>(level[0] - L'a' + L'A');
    Out += separator;
    if (prefixes.Contains(pfxDate) || prefixes.Contains(pfxTime)) {
        const auto locale = LocaleFormatSettingsOfMinute(aMessage.getTimestamp());
        if (prefixes.Contains(pfxDate)) {
            AppendDateTime(Out, FAppender.DateFormat(), aMessage.getTimestamp(), *locale);
            Out += separator;
        }
        if (prefixes.Contains(pfxTime)) {
            AppendDateTime(Out, FAppender.TimeFormat(), aMessage.getTimestamp(), *locale);
            Out += separator;
        }
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
}
