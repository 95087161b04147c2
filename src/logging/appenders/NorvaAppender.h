#pragma once
#include "logging/support/ByteSet.h"
#include "logging/base/NxLogAppender.h"
#include "logging/appenders/TraceTypes.h"

#include <cstdint>
#include <string>

// Optional columns of a trace line, written in this order before the module column.
enum TPrefix : uint8_t {
    pfxDate = 0,
    pfxTime = 1,
    pfxProcID = 2,
    pfxThreadID = 3,
    pfxHost = 4,
    pfxAppName = 5,
};
using TPrefixes = TByteSet<TPrefix>;

// Settings shared by the facade's appenders: the switch, the trace types written and the
// layout of a line. Created inactive.
class TNorvaAppender : public TNxLogAppender {
public:
    TNorvaAppender();

    // Active, and the message's level belongs to a selected trace type; NXLL_TRACE and
    // NXLL_FATAL belong to none.
    virtual bool Accepts(const TNxLoggerMessage& aEvent) const;
    // Name of the appender in configuration stores.
    virtual std::wstring TagName() const = 0;

    bool Active() const { return FActive; }
    void SetActive(bool value) { FActive = value; }
    TTraceTypes TraceTypes() const { return FTraceTypes; }
    void SetTraceTypes(TTraceTypes value) { FTraceTypes = value; }
    const std::wstring& DateFormat() const { return FDateFormat; }
    void SetDateFormat(const std::wstring& value) {
        FDateFormat = value;
        ++FLayoutVersion;
    }
    const std::wstring& Separator() const { return FSeparator; }
    void SetSeparator(const std::wstring& value) {
        FSeparator = value;
        ++FLayoutVersion;
    }
    // Second name of Separator, kept for stored configurations that use it.
    const std::wstring& Seperator() const { return FSeparator; }
    void SetSeperator(const std::wstring& value) { SetSeparator(value); }
    const std::wstring& TimeFormat() const { return FTimeFormat; }
    void SetTimeFormat(const std::wstring& value) {
        FTimeFormat = value;
        ++FLayoutVersion;
    }
    TPrefixes Prefixes() const { return FPrefixes; }
    void SetPrefixes(TPrefixes value) {
        FPrefixes = value;
        ++FLayoutVersion;
    }

    // Both write a message as the same line: the same separator and columns, and the same
    // patterns for the date and time columns they write.
    bool SameLayout(const TNorvaAppender& Other) const;
    // Counts the changes of the layout: a line formatted at another count may differ.
    unsigned LayoutVersion() const { return FLayoutVersion; }

private:
    bool FActive = false;
    TTraceTypes FTraceTypes = AllWritableTraceTypes;
    std::wstring FDateFormat;
    std::wstring FSeparator = L"|";
    std::wstring FTimeFormat;
    TPrefixes FPrefixes{pfxTime, pfxThreadID};
    unsigned FLayoutVersion = 0;
};
