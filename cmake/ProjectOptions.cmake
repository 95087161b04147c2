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

# Layers, bottom up. A library's layer is the first folder of its path under src/.
set(PROJECT_LAYERS core logging sys logconfig env uninstall)

# Every library finds headers as "<folder>/<file>.h", through an include root of its own in the
# build folder, made of links to its own headers only. A library hands its root on to the
# libraries that name it, so a file sees the headers of its own library and of the libraries its
# library names (and theirs), never one of a library above it: including one fails to build.
# Tests may include any header of the project: their root links every source folder.
set(LIBRARY_INCLUDE_DIR ${CMAKE_BINARY_DIR}/library-include)
set(TEST_INCLUDE_DIR ${CMAKE_BINARY_DIR}/test-include)
foreach(folder ${PROJECT_LAYERS})
  if(NOT EXISTS ${TEST_INCLUDE_DIR}/${folder})
    file(MAKE_DIRECTORY ${TEST_INCLUDE_DIR})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${TEST_INCLUDE_DIR}/${folder} SYMBOLIC)
  endif()
endforeach()

# The layer of a source folder given relative to src/, in out_var; fails for a folder outside
# the layers.
function(layer_of_folder folder out_var)
  string(REGEX REPLACE "/.*" "" top "${folder}")
  list(FIND PROJECT_LAYERS "${top}" index)
  if(index LESS 0)
    message(FATAL_ERROR "src/${folder} is in none of the layers: ${PROJECT_LAYERS}")
  endif()
  set(${out_var} ${index} PARENT_SCOPE)
endfunction()

# add_folder_library(NAME [FOLDER dir] [SOURCES files...] [EXCLUDE files...] [DEPENDS libs...]
#                    [LIBS libs...])
# A static library of one source folder (FOLDER, relative to the current one; the current one
# when not given): SOURCES when given, else every .cpp and .h in it but the EXCLUDE names, so
# adding a file needs no edit here. DEPENDS names the project's libraries whose headers it
# includes, LIBS the system's libraries it calls. A library may name only libraries defined
# before it, in its own layer or a lower one; anything else stops the configuration.
function(add_folder_library name)
  cmake_parse_arguments(ARG "" "FOLDER" "SOURCES;EXCLUDE;DEPENDS;LIBS" ${ARGN})
  set(folder ${CMAKE_CURRENT_SOURCE_DIR})
  if(ARG_FOLDER)
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_FOLDER} ABSOLUTE)
  endif()
  file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR}/src ${folder})
  layer_of_folder(${relative} layer)
  if(ARG_SOURCES)
    list(TRANSFORM ARG_SOURCES PREPEND ${folder}/ OUTPUT_VARIABLE files)
  else()
    file(GLOB files CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.h)
  endif()
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM files ${folder}/${excluded})
  endforeach()
  foreach(dependency ${ARG_DEPENDS})
    get_property(dependency_layer GLOBAL PROPERTY PROJECT_LIBRARY_LAYER_${dependency})
    if("${dependency_layer}" STREQUAL "")
      message(FATAL_ERROR "${name} (src/${relative}) names ${dependency}, which is not a library "
                          "defined before it: a library names only libraries below it")
    elseif(dependency_layer GREATER layer)
      list(GET PROJECT_LAYERS ${dependency_layer} above)
      message(FATAL_ERROR "${name} (src/${relative}) names ${dependency} of the layer ${above}, "
                          "above its own")
    endif()
  endforeach()

  # The library's include root: a link for each of its headers, made anew at each configuration.
  set(root ${LIBRARY_INCLUDE_DIR}/${name})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${relative})
  set(sources ${files})
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  set(headers ${files})
  list(FILTER headers INCLUDE REGEX "\\.h$")
  foreach(header ${headers})
    get_filename_component(header_name ${header} NAME)
    file(CREATE_LINK ${header} ${root}/${relative}/${header_name} SYMBOLIC)
  endforeach()

  set(archive "")
  if(sources)
    add_library(${name} STATIC ${sources})
    set(scope PUBLIC)
    set(archive "$<TARGET_FILE:${name}>")
  else()
    add_library(${name} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${name} ${scope} ${root})
  target_link_libraries(${name} ${scope} project_options ${ARG_DEPENDS} ${ARG_LIBS})

  set_property(GLOBAL PROPERTY PROJECT_LIBRARY_LAYER_${name} ${layer})
  set_property(GLOBAL APPEND PROPERTY PROJECT_LIBRARIES ${name})
  string(REPLACE ";" " " files_line "${files}")
  string(REPLACE ";" " " depends_line "${ARG_DEPENDS}")
  string(REPLACE ";" " " libs_line "${ARG_LIBS}")
  string(CONCAT entry "library ${name} ${relative}\nfiles ${files_line}\n"
    "depends ${depends_line}\nlibs ${libs_line}\narchive ${archive}\n")
  set_property(GLOBAL APPEND_STRING PROPERTY PROJECT_LIBRARY_MAP "${entry}")
endfunction()

# link_only(NAME libs...): NAME's objects call into the libraries given without including any
# of their headers (the engine's group table and the step handlers, its members, defined in
# the step libraries). They are linked after NAME, and hand NAME none of their headers.
function(link_only name)
  foreach(library ${ARGN})
    target_link_libraries(${name} INTERFACE "$<LINK_ONLY:${library}>")
  endforeach()
  string(REPLACE ";" " " libraries "${ARGN}")
  set_property(GLOBAL APPEND_STRING PROPERTY PROJECT_LIBRARY_MAP
    "library ${name}\nlink-only ${libraries}\n")
endfunction()

# Writes what every library holds and names to <build>/library-map.txt, for the check of the
# link lines (tests/layers).
function(write_library_map)
  get_property(map GLOBAL PROPERTY PROJECT_LIBRARY_MAP)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/library-map.txt CONTENT "${map}")
endfunction()
