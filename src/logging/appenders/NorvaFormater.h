#pragma once
#include "logging/appenders/NorvaAppender.h"
#include "logging/base/NxLogFormaterDefault.h"

// Writes a message as one trace line in the layout of its appender: the level letter, the
// selected prefix columns, the module and the text, each followed by the separator. Reads
// the appender's settings at every line.
class TNorvaFormater : public TNxLogFormaterDefault {
public:
    explicit TNorvaFormater(const TNorvaAppender& AnAppender);

    std::wstring ClassName() const override { return L"TNorvaFormater"; }

    // No line break at the end.
    std::wstring formatMessage(const TNxLoggerMessage& aMessage) override;
    // The same line, kept with the message: an appender of the same layout that writes the
    // message next gets it without formatting it again.
    const std::wstring& Line(const TNxLoggerMessage& aMessage);

    const std::wstring& ApplicationName() const { return FAppName; }
    const std::wstring& ApplicationVersion() const { return FAppVersion; }
    const std::wstring& ApplicationHost() const { return FHost; }
    const std::wstring& ApplicationProcessId() const { return FProcessId; }
    const std::wstring& ApplicationUser() const { return FUser; }

private:
    void Write(std::wstring& Out, const TNxLoggerMessage& aMessage) const;

    const TNorvaAppender& FAppender;
    std::wstring FAppName;
    std::wstring FAppVersion;
    std::wstring FHost;
    std::wstring FProcessId;
    std::wstring FUser;
};
