# add_wine_test(NAME SOURCES ... [LIBS ...] [DEPENDS targets...] [CAPTURE_STDERR])
# One GoogleTest executable, registered with CTest as one test run under Wine. Its current
# folder is its build folder, which lies on the prefix's mapped drive.
# CAPTURE_STDERR sends the Unix standard error of the test and of every program it starts to
# "wine-stderr.log" in that folder: Wine prints its debug channels there, and child processes
# share the parent's, so a test can read what a program it started printed on a channel.
function(add_wine_test name)
  cmake_parse_arguments(ARG "CAPTURE_STDERR" "" "SOURCES;LIBS;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE test_support gtest_main ${ARG_LIBS})
  if(ARG_DEPENDS)
    add_dependencies(${name} ${ARG_DEPENDS})
  endif()
  if(ARG_CAPTURE_STDERR)
    add_test(NAME ${name}
      COMMAND sh -c "exec \"$0\" \"$1\" 2>wine-stderr.log" ${CMAKE_CROSSCOMPILING_EMULATOR}
              $<TARGET_FILE:${name}>
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  else()
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
endfunction()

# add_test_helper(NAME SOURCES ... [LIBS ...] [GUI])
# A small program that tests start (a service, a process that holds a file open, ...).
function(add_test_helper name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
  if(ARG_GUI)
    add_executable(${name} WIN32 ${ARG_SOURCES})
  else()
    add_executable(${name} ${ARG_SOURCES})
  endif()
  target_link_libraries(${name} PRIVATE project_options ${ARG_LIBS})
  target_link_options(${name} PRIVATE -municode)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/helpers)
endfunction()
