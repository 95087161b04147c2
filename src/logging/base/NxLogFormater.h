#pragma once
#include "core/Persistent.h"
#include "logging/base/NxLoggerMessage.h"

#include <memory>
#include <string>

// Turns messages into lines and back; TNxLogFormaterDefault gives the base logger's own format.
class TNxLogFormater : public TPersistent {
public:
    virtual std::wstring formatMessage(const TNxLoggerMessage& aMessage) = 0;
    virtual std::unique_ptr<TNxLoggerMessage> parseMessage(const std::wstring& aMessageText) = 0;
    virtual std::wstring formatMessageBase64(const TNxLoggerMessage& aMessage) = 0;
    virtual std::unique_ptr<TNxLoggerMessage>
    parseMessageBase64(const std::wstring& aMessageText) = 0;

    // Any text that names no level gives NXLL_FATAL.
    static TNxLoggerLevel convertToLevel(const std::wstring& aString);
    // NXLL_ERROR reads "exception" for a message that carries one; an unknown value gives "".
    static std::wstring convertLevelToString(TNxLoggerLevel aLevel, bool isException);
    // Any text that names no category, "none" included, gives NXLCAT_NONE.
    static TNxLoggerCategory convertToCategory(const std::wstring& aString);
    static std::wstring convertCategoryToString(TNxLoggerCategory aCategory);
};
