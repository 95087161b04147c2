#pragma once
#include "core/Object.h"
#include "logging/base/NxLoggerMessage.h"

// An output of the base logger. Each concrete appender decides itself whether and how it
// writes a message.
class TNxLogAppender : public TObject {
public:
    virtual void append(TNxLoggerMessage& aEvent) = 0;
};
