add_test_helper(logger_probe SOURCES logger_probe.cpp LIBS logging)
