#pragma once
#include "logging/appenders/NorvaFormater.h"

// Sends each accepted line to the debug-output channel, one call per line.
class TNorvaAppenderDbMon : public TNorvaAppender {
public:
    TNorvaAppenderDbMon() : FFormater(*this) {}

    // Trace types after creation, the ones a saved configuration leaves out.
    static constexpr TTraceTypes DefaultTraceTypes = AllWritableTraceTypes;

    std::wstring ClassName() const override { return L"TNorvaAppenderDbMon"; }
    std::wstring TagName() const override { return L"DbMon"; }

    void append(TNxLoggerMessage& aEvent) override;

    // Adds a line feed to every line, for monitors that do not break lines themselves.
    bool ExtraLineFeed() const { return FExtraLineFeed; }
    void SetExtraLineFeed(bool value) { FExtraLineFeed = value; }

private:
    TNorvaFormater FFormater;
    bool FExtraLineFeed = false;
};
