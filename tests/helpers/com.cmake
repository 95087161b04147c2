# The COM step's real parts: an in-process server (com_server.dll) that imports a library of
# its own (com_dep.dll, which alone is a library without DllUnregisterServer), a stand-in for
# the .NET registration tool, and a probe of the program's library search.
add_library(com_dep SHARED com_dep.cpp)
add_library(com_server SHARED com_server.cpp)
target_link_libraries(com_dep PRIVATE project_options)
target_link_libraries(com_server PRIVATE project_options com_dep user32)
foreach(dll com_dep com_server)
  target_link_options(${dll} PRIVATE -Wl,--kill-at)
  set_target_properties(${dll} PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY
                                                      ${CMAKE_BINARY_DIR}/helpers)
endforeach()
add_test_helper(regasm_standin SOURCES regasm_standin.cpp)
add_test_helper(dll_probe SOURCES dll_probe.cpp LIBS sys_processes)
# A version.dll a user might plant beside the program.
add_library(planted_version SHARED planted_version.cpp)
target_link_libraries(planted_version PRIVATE project_options)
target_link_options(planted_version PRIVATE -Wl,--kill-at)
set_target_properties(planted_version PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY
                                                         ${CMAKE_BINARY_DIR}/helpers)
