#include "logging/appenders/NorvaAppender.h"
#include "logging/support/DateFormat.h"

TNorvaAppender::TNorvaAppender() {
    TFormatSettings locale = LocaleFormatSettings();
    FDateFormat = locale.ShortDateFormat;
    FTimeFormat = locale.LongTimeFormat;
}

bool TNorvaAppender::Accepts(const TNxLoggerMessage& aEvent) const {
    if (!FActive)
        return false;
    switch (aEvent.getLevel()) {
    case NXLL_DEBUG:
        return FTraceTypes.Contains(ttDebug);
    case NXLL_INFO:
        return FTraceTypes.Contains(ttInformation);
    case NXLL_WARN:
        return FTraceTypes.Contains(ttWarning);
    case NXLL_ERROR:
        return FTraceTypes.Contains(ttError);
    default:
        return false;
    }
}

bool TNorvaAppender::SameLayout(const TNorvaAppender& Other) const {
    if (this == &Other)
        return true;
    return FSeparator == Other.FSeparator && FPrefixes == Other.FPrefixes &&
           (!FPrefixes.Contains(pfxDate) || FDateFormat == Other.FDateFormat) &&
           (!FPrefixes.Contains(pfxTime) || FTimeFormat == Other.FTimeFormat);
}
