#pragma once
#include "logconfig/AppenderConfig.h"
#include "logging/Logger.h"

#include <functional>

// Calls Action with the configuration of each of the facade's appenders of the common base,
// in list order.
void ForEachAppenderConfig(TNvLogger& Logger, const std::function<void(TAppenderConfig&)>& Action);
