# import-check: reads the built installers and fails on imports that would crash them at a
# first call or load a DLL from beside them (tools/import_check/check-shipped.sh runs it).
set(LUMETRA_IMPORT_CHECK_DIR ${CMAKE_CURRENT_LIST_DIR})
add_executable(import-check
  ${LUMETRA_IMPORT_CHECK_DIR}/main.cpp
  ${LUMETRA_IMPORT_CHECK_DIR}/import_audit.cpp
  ${LUMETRA_IMPORT_CHECK_DIR}/import_library.cpp
  ${LUMETRA_IMPORT_CHECK_DIR}/pe_image.cpp)
target_include_directories(import-check PRIVATE ${CMAKE_SOURCE_DIR}/tools/common)
target_compile_options(import-check PRIVATE ${LUMETRA_SANITIZERS})
target_link_options(import-check PRIVATE ${LUMETRA_SANITIZERS})
set_target_properties(import-check PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

# The installers of the Windows builds (build/win must be built first: scripts/test.sh
# builds every preset before it runs a test).
add_test(NAME shipped_installer_imports
         COMMAND ${LUMETRA_IMPORT_CHECK_DIR}/check-shipped.sh $<TARGET_FILE:import-check>
                 ${CMAKE_SOURCE_DIR})
add_test(NAME import_check_finds_faults
         COMMAND ${LUMETRA_IMPORT_CHECK_DIR}/tests/expect-faults.sh $<TARGET_FILE:import-check>
                 ${LUMETRA_IMPORT_CHECK_DIR}/known-dlls.txt /usr/i686-w64-mingw32/lib
                 ${CMAKE_SOURCE_DIR}/build/win/import-check/faulty_imports.exe)
