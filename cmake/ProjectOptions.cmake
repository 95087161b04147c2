# Compile and link settings shared by every target of the project.

# Boost.Regex is header-only; only Boost's own folder is exposed to the cross compiler,
# never the host's /usr/include.
set(BOOST_INCLUDE_DIR ${CMAKE_BINARY_DIR}/boost-include)
if(NOT EXISTS ${BOOST_INCLUDE_DIR}/boost)
  file(MAKE_DIRECTORY ${BOOST_INCLUDE_DIR})
  file(CREATE_LINK /usr/include/boost ${BOOST_INCLUDE_DIR}/boost SYMBOLIC)
endif()

add_library(project_options INTERFACE)
target_compile_definitions(project_options INTERFACE
  UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
  _WIN32_WINNT=0x0600 WINVER=0x0600 _WIN32_IE=0x0700
  BOOST_REGEX_STANDALONE)
target_compile_options(project_options INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic -Werror=return-type>)
target_link_options(project_options INTERFACE -static -static-libgcc -static-libstdc++
  $<$<CONFIG:Release>:-s>)

# A static library of one source folder: every .cpp in it, so adding a file needs no edit here.
function(add_folder_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(${name} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${name} ${scope} ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} ${scope} project_options ${ARG_DEPENDS} ${ARG_LIBS})
endfunction()
