// Reads the logger's configuration from a file, so that a test can read what the framework
// reports to the event log about it (Wine prints it on its eventlog channel).
//   logger_config_probe FILE    Initialize from FILE; prints which appenders are on
#include "logconfig/LoggerConfig.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    TNvLogger& logger = GetLogger();
    TLoggerConfig::Initialize(logger, argv[1]);
    std::printf("dbmon=%d textfile=%d\n", logger.DbMon().Active(), logger.TextFile().Active());
    std::puts("returned");
    return 0;
}
