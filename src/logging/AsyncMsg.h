#pragma once
#include "logging/appenders/TraceTypes.h"

#include <string>

class TNvLogger;

// One entry waiting for the asynchronous writer: the message is already formatted.
struct TAsyncMsg {
    TNvLogger* Owner = nullptr; // kept for peers that read it; nothing sets it
    std::wstring Sender;        // empty for an entry without sender
    std::wstring Msg;
    TTraceType TraceType = ttInformation;
};
