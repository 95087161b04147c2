# add_uninstall_variant(<target> SCRIPT <xml file> [OUTPUT_DIRECTORY <dir>] [SOURCES files...])
# Builds the uninstaller with the given script as its resource "UNINSTALL" of type "XML",
# together with every res/*.rc (manifest, version, pictures). The script is embedded byte for
# byte. Without OUTPUT_DIRECTORY the program goes to <build>/variants, where tests find it.
# SOURCES are built into the program too (a test's stand-in for the restart request).
function(add_uninstall_variant target)
  cmake_parse_arguments(ARG "" "SCRIPT;OUTPUT_DIRECTORY" "SOURCES" ${ARGN})
  if(NOT ARG_SCRIPT)
    message(FATAL_ERROR "add_uninstall_variant(${target}): SCRIPT is required")
  endif()
  get_filename_component(script ${ARG_SCRIPT} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT ARG_OUTPUT_DIRECTORY)
    set(ARG_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/variants)
  endif()

  set(script_rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_script.rc)
  file(CONFIGURE OUTPUT ${script_rc} CONTENT "UNINSTALL XML \"${script}\"\n")
  # windres does not report the files a script names, so the dependency is given here.
  set_source_files_properties(${script_rc} PROPERTIES OBJECT_DEPENDS ${script})
  file(GLOB resource_scripts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*.rc)

  add_executable(${target} WIN32 ${CMAKE_SOURCE_DIR}/src/uninstall/app/Main.cpp ${script_rc}
                 ${resource_scripts} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE app)
  target_link_options(${target} PRIVATE -municode)
  # Files named by res/*.rc are found relative to res/.
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/res)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY})
endfunction()
