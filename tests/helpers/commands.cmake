# A stand-in for net.exe that writes down how it was started and exits with a chosen code.
add_test_helper(command_standin SOURCES command_standin.cpp)
