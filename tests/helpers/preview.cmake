# A window program that writes to standard output as the preview does.
add_test_helper(stdout_probe GUI SOURCES stdout_probe.cpp LIBS sys_shared)
