#pragma once
#include "logging/support/DateFormat.h"
#include "logging/base/NxLogFormater.h"

// The base logger's own line: nine "|"-separated fields (application id, time stamp,
// level[.module], message, instance id, user, category, language, thread id), written with
// fixed date settings so that any machine reads back what another wrote.
class TNxLogFormaterDefault : public TNxLogFormater {
public:
    std::wstring ClassName() const override { return L"TNxLogFormaterDefault"; }

    std::wstring formatMessage(const TNxLoggerMessage& aMessage) override;
    std::unique_ptr<TNxLoggerMessage> parseMessage(const std::wstring& aMessageText) override;
    // The text fields in Base64, so that bars and line breaks survive.
    std::wstring formatMessageBase64(const TNxLoggerMessage& aMessage) override;
    std::unique_ptr<TNxLoggerMessage> parseMessageBase64(const std::wstring& aMessageText) override;

protected:
    const TFormatSettings& fFormatSettings = FixedFormatSettings();

private:
    std::wstring formatLine(const TNxLoggerMessage& aMessage, bool base64);
    std::unique_ptr<TNxLoggerMessage> parseLine(const std::wstring& aMessageText, bool base64);
};
