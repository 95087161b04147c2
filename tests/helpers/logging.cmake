add_test_helper(logger_probe SOURCES logger_probe.cpp LIBS logging)
# Carries the version resource, so its text file's header shows the file version.
add_test_helper(logging_writer SOURCES logging_writer.cpp ${CMAKE_SOURCE_DIR}/res/version.rc
  LIBS logging)
add_test_helper(logger_config_probe SOURCES logger_config_probe.cpp LIBS logconfig)
