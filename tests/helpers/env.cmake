# The configuration component's in-process server for the settings and variables tests.
add_library(env_config SHARED env_config.cpp)
target_link_libraries(env_config PRIVATE project_options ole32 oleaut32 uuid)
target_link_options(env_config PRIVATE -Wl,--kill-at)
set_target_properties(env_config PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY
                                                      ${CMAKE_BINARY_DIR}/helpers)
# Prints what the expansion object makes of its argument; copied under other names by tests.
add_test_helper(env_probe SOURCES env_probe.cpp LIBS env)
