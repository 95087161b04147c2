# Writes a shell link, for the demonstration's simulated installation.
add_test_helper(make_link SOURCES make_link.cpp LIBS sys_com)
