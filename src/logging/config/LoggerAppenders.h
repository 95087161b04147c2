#pragma once
#include "logging/Logger.h"
#include "logging/config/AppenderConfig.h"

#include <functional>

// Calls Action with the configuration of each of the facade's appenders of the common base,
// in list order.
void ForEachAppenderConfig(TNvLogger& Logger, const std::function<void(TAppenderConfig&)>& Action);
