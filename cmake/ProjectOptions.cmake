# Compile and link settings shared by every target of the project.

# Boost.Regex is header-only; only Boost's own folder is exposed to the cross compiler,
# never the host's /usr/include.
set(BOOST_INCLUDE_DIR ${CMAKE_BINARY_DIR}/boost-include)
if(NOT EXISTS ${BOOST_INCLUDE_DIR}/boost)
  file(MAKE_DIRECTORY ${BOOST_INCLUDE_DIR})
  file(CREATE_LINK /usr/include/boost ${BOOST_INCLUDE_DIR}/boost SYMBOLIC)
endif()

# nlohmann's JSON library, header-only, for the report file: likewise only its own folder.
set(JSON_INCLUDE_DIR ${CMAKE_BINARY_DIR}/json-include)
if(NOT EXISTS ${JSON_INCLUDE_DIR}/nlohmann)
  file(MAKE_DIRECTORY ${JSON_INCLUDE_DIR})
  file(CREATE_LINK /usr/include/nlohmann ${JSON_INCLUDE_DIR}/nlohmann SYMBOLIC)
endif()

# Each target links the system libraries it names, nothing by default, so that a library's link
# line shows what it uses (the engine and the steps never reach GDI or the common controls).
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "" FORCE)
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "" FORCE)

add_library(project_options INTERFACE)
target_compile_definitions(project_options INTERFACE
  UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
  _WIN32_WINNT=0x0600 WINVER=0x0600 _WIN32_IE=0x0700
  BOOST_REGEX_STANDALONE)
target_compile_options(project_options INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic -Werror=return-type>)
target_link_options(project_options INTERFACE -static -static-libgcc -static-libstdc++
  $<$<CONFIG:Release>:-s>)

# Every library finds headers as "<layer>/<file>.h" through one include root in the build
# folder, made of links to the source folders. The window's headers sit under a root of their
# own that only the window library hands on, so a file outside the window and the program
# entry that includes one fails to build; the program's own parts likewise.
set(PROJECT_INCLUDE_DIR ${CMAKE_BINARY_DIR}/include)
set(UI_INCLUDE_DIR ${CMAKE_BINARY_DIR}/include-ui)
set(APP_INCLUDE_DIR ${CMAKE_BINARY_DIR}/include-app)
function(link_source_folder root relative)
  get_filename_component(parent ${root}/${relative} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT EXISTS ${root}/${relative})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${relative} ${root}/${relative} SYMBOLIC)
  endif()
endfunction()
foreach(folder core logging sys env uninstall/script uninstall/engine uninstall/steps
               uninstall/report)
  link_source_folder(${PROJECT_INCLUDE_DIR} ${folder})
endforeach()
link_source_folder(${UI_INCLUDE_DIR} uninstall/ui)
link_source_folder(${APP_INCLUDE_DIR} uninstall/app)

# add_folder_library(NAME [FOLDER dir] [INCLUDE_ROOT dir] [EXCLUDE files...] [DEPENDS targets...]
#                    [LIBS libs...])
# A static library of one source folder (FOLDER, relative to the current one; the current one
# when not given): every .cpp in it but the EXCLUDE names, so adding a file needs no edit here.
# INCLUDE_ROOT replaces the common include root.
function(add_folder_library name)
  cmake_parse_arguments(ARG "" "FOLDER;INCLUDE_ROOT" "EXCLUDE;DEPENDS;LIBS" ${ARGN})
  set(folder ${CMAKE_CURRENT_SOURCE_DIR})
  if(ARG_FOLDER)
    set(folder ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_FOLDER})
  endif()
  if(NOT ARG_INCLUDE_ROOT)
    set(ARG_INCLUDE_ROOT ${PROJECT_INCLUDE_DIR})
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${folder}/${excluded})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(${name} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${name} ${scope} ${ARG_INCLUDE_ROOT})
  target_link_libraries(${name} ${scope} project_options ${ARG_DEPENDS} ${ARG_LIBS})
endfunction()
