# Two ways to link the DLLs of LUMETRA_SEARCHED_DLLS (pairs: library name, DLL name):
# lumetra_searched_dlls imports them as usual; lumetra_delayed_dlls through delay-import
# libraries of the functions cmake/delay-imports.txt lists, checked against mingw's own
# import libraries, so that each DLL is loaded when its first function is called.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "86_64|AMD64")
  set(LUMETRA_DLLTOOL_MACHINE i386:x86-64)
else()
  set(LUMETRA_DLLTOOL_MACHINE i386)
endif()
string(REGEX REPLACE "g\\+\\+(-posix|-win32)?$" "" LUMETRA_TOOL_PREFIX ${CMAKE_CXX_COMPILER})

add_library(lumetra_searched_dlls INTERFACE)
add_library(lumetra_delayed_dlls INTERFACE)
set(delay_dir ${CMAKE_BINARY_DIR}/delay-import)
file(MAKE_DIRECTORY ${delay_dir})
set(delay_libs)
set(delay_functions ${CMAKE_SOURCE_DIR}/cmake/delay-imports.txt)
list(LENGTH LUMETRA_SEARCHED_DLLS pair_items)
math(EXPR last_pair "${pair_items} - 2")
foreach(index RANGE 0 ${last_pair} 2)
  math(EXPR dll_index "${index} + 1")
  list(GET LUMETRA_SEARCHED_DLLS ${index} library)
  list(GET LUMETRA_SEARCHED_DLLS ${dll_index} dll)
  target_link_libraries(lumetra_searched_dlls INTERFACE ${library})
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${library}.a
                  OUTPUT_VARIABLE import_lib OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(delay_lib ${delay_dir}/lib${library}_delay.a)
  set(delay_linker_args ${delay_dir}/lib${library}_delay.ld-args)
  add_custom_command(
    OUTPUT ${delay_lib} ${delay_linker_args}
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/make-delay-import-lib.sh ${LUMETRA_TOOL_PREFIX}nm
            ${LUMETRA_TOOL_PREFIX}dlltool ${LUMETRA_DLLTOOL_MACHINE} ${import_lib} ${dll}
            ${delay_functions} ${library} ${delay_lib}
    DEPENDS ${CMAKE_SOURCE_DIR}/cmake/make-delay-import-lib.sh ${delay_functions} ${import_lib}
    COMMENT "Delay-import library for ${dll}")
  list(APPEND delay_libs ${delay_lib})
  # Names every listed thunk, so that each import slot keeps its stub (the script says why).
  target_link_options(lumetra_delayed_dlls INTERFACE "LINKER:@${delay_linker_args}")
endforeach()
add_custom_target(lumetra_delay_import_libs DEPENDS ${delay_libs})
add_dependencies(lumetra_delayed_dlls lumetra_delay_import_libs)
target_link_libraries(lumetra_delayed_dlls INTERFACE ${delay_libs})
