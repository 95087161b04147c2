#include "logging/base/LoggerBase.h"
#include "logging/base/NxLogAppenderFile.h"

namespace {

struct TBaseLoggerUnit {
    TBaseLoggerUnit() { Logger.addAppender(&File); }
    // The appender outlives the logger that refers to it.
    TNxLogAppenderFile File;
    TNxLogger Logger;
};

TBaseLoggerUnit& Unit() {
    static TBaseLoggerUnit unit;
    return unit;
}

[[maybe_unused]] const TBaseLoggerUnit& UnitAtStart = Unit();

} // namespace

TNxLogger& GetBaseLogger() {
    return Unit().Logger;
}
