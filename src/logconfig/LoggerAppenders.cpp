#include "logconfig/LoggerAppenders.h"

void ForEachAppenderConfig(TNvLogger& Logger, const std::function<void(TAppenderConfig&)>& Action) {
    for (int i = 0; i < Logger.getAppenderCount(); ++i)
        if (auto appender = dynamic_cast<TNorvaAppender*>(Logger.getAppender(i)))
            Action(*TAppenderConfig::For(*appender));
}
