# Libraries the program imports that are not known DLLs of the system would be looked for
# first in the program's own folder (a downloads folder), by the loader, before any code of
# ours runs. They are imported late instead: the first call loads the library, after the
# program's entry has limited the library search to the system folder.
#
# add_delay_import(NAME) makes the target delay_NAME: an import library for NAME.dll whose
# functions load the library at their first call (binutils' delay-import library), with every
# function MinGW's own import library for NAME declares.
find_program(MINGW_DLLTOOL i686-w64-mingw32-dlltool REQUIRED)

function(add_delay_import name)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${name}.a
                  OUTPUT_VARIABLE import_lib OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_NM} --defined-only ${import_lib}
                  OUTPUT_VARIABLE symbols)
  # "00000000 T _GdipAlloc@4": the function, stdcall-decorated.
  string(REGEX MATCHALL "T _[A-Za-z0-9_]+@[0-9]+" functions "${symbols}")
  list(REMOVE_DUPLICATES functions)
  set(def "LIBRARY ${name}.dll\nEXPORTS\n")
  foreach(function ${functions})
    string(REGEX REPLACE "^T _" "" function "${function}")
    string(APPEND def "${function}\n")
  endforeach()
  set(dir ${CMAKE_BINARY_DIR}/delay-import)
  file(WRITE ${dir}/${name}.def "${def}")
  set(lib ${dir}/lib${name}_delay.a)
  add_custom_command(OUTPUT ${lib}
    COMMAND ${MINGW_DLLTOOL} --input-def ${dir}/${name}.def --output-delaylib ${lib}
            --dllname ${name}.dll --kill-at
    DEPENDS ${dir}/${name}.def
    COMMENT "Delay-import library for ${name}.dll")
  add_custom_target(delay_${name}_lib DEPENDS ${lib})
  add_library(delay_${name} STATIC IMPORTED GLOBAL)
  set_target_properties(delay_${name} PROPERTIES IMPORTED_LOCATION ${lib})
  add_dependencies(delay_${name} delay_${name}_lib)
endfunction()
