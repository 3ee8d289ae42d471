# LumetraSetup.exe and the tests that run under Wine.
enable_language(RC)

add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX
                        WIN32_LEAN_AND_MEAN)
add_link_options(-static)
include_directories(${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)

# System DLLs that Windows always loads from its own folder, whoever asks.
set(LUMETRA_WIN32_LIBS shell32 ole32 oleaut32 uuid advapi32 shlwapi comdlg32 gdi32 user32
    kernel32)
# DLLs Windows would also look for beside the program (in Downloads, next to whatever
# else was downloaded there): the installer loads them only after it has narrowed the
# search to the system folder, through delay-import libraries. Tests link them as usual.
set(LUMETRA_SEARCHED_DLLS wininet WININET.dll wtsapi32 WTSAPI32.dll version VERSION.dll
    comctl32 COMCTL32.dll gdiplus gdiplus.dll msimg32 MSIMG32.dll bcrypt bcrypt.dll)
include(${CMAKE_SOURCE_DIR}/cmake/DelayImport.cmake)

add_library(lumetra_core STATIC ${LUMETRA_CORE_SOURCES})
add_library(lumetra_win STATIC ${LUMETRA_WIN_SOURCES})
target_link_libraries(lumetra_win PUBLIC lumetra_core ${LUMETRA_WIN32_LIBS})

# The carried files (the extractor, the font) are produced outside the source tree;
# res/resources.cmake knows how.
include(${CMAKE_SOURCE_DIR}/res/resources.cmake)

# The publisher's key (LUMETRA_RELEASE_KEY, usually none) in its own small library, so that
# the demo's installer can be the same program with a key of the demo's own.
add_library(lumetra_release_key STATIC ${CMAKE_SOURCE_DIR}/src/workflow/release_key.cpp)
set(LUMETRA_DEMO_KEY_DIR ${CMAKE_BINARY_DIR}/demo-key)
if(NOT EXISTS ${LUMETRA_DEMO_KEY_DIR}/release-key.pub.pem)
  find_program(LUMETRA_OPENSSL openssl REQUIRED)
  file(MAKE_DIRECTORY ${LUMETRA_DEMO_KEY_DIR})
  execute_process(COMMAND ${LUMETRA_OPENSSL} ecparam -name prime256v1 -genkey -noout
                          -out ${LUMETRA_DEMO_KEY_DIR}/release-key.pem COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${LUMETRA_OPENSSL} ec -in ${LUMETRA_DEMO_KEY_DIR}/release-key.pem -pubout
                          -out ${LUMETRA_DEMO_KEY_DIR}/release-key.pub.pem COMMAND_ERROR_IS_FATAL ANY)
endif()
lumetra_release_key_header(${LUMETRA_DEMO_KEY_DIR}/release-key.pub.pem
                           ${CMAKE_BINARY_DIR}/generated/demo/release_key_bytes.h)
add_library(lumetra_demo_release_key STATIC ${CMAKE_SOURCE_DIR}/src/workflow/release_key.cpp)
target_include_directories(lumetra_demo_release_key BEFORE PRIVATE ${CMAKE_BINARY_DIR}/generated/demo)

add_executable(LumetraSetup WIN32 ${CMAKE_SOURCE_DIR}/src/app/main.cpp ${LUMETRA_RC_FILE})
target_link_libraries(LumetraSetup PRIVATE lumetra_win lumetra_release_key lumetra_delayed_dlls)
target_link_options(LumetraSetup PRIVATE -mwindows -municode -s)
lumetra_add_resource_dependencies(LumetraSetup)

# The demo's installer: the same program, requiring configurations signed with the demo's
# key (demo-key/ of this build folder, made once; never a publisher's key).
add_executable(LumetraSetupDemo WIN32 ${CMAKE_SOURCE_DIR}/src/app/main.cpp ${LUMETRA_RC_FILE})
target_link_libraries(LumetraSetupDemo PRIVATE lumetra_win lumetra_demo_release_key lumetra_delayed_dlls)
target_link_options(LumetraSetupDemo PRIVATE -mwindows -municode -s)
set_target_properties(LumetraSetupDemo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/demo)
lumetra_add_resource_dependencies(LumetraSetupDemo)

# The same installer with a version one build higher, for the self-update tests.
math(EXPR LUMETRA_NEXT_BUILD "${PROJECT_VERSION_TWEAK} + 1")
add_executable(LumetraSetupNext WIN32 ${CMAKE_SOURCE_DIR}/src/app/main.cpp ${LUMETRA_RC_FILE})
target_link_libraries(LumetraSetupNext PRIVATE lumetra_win lumetra_release_key lumetra_delayed_dlls)
target_link_options(LumetraSetupNext PRIVATE -mwindows -municode -s)
target_compile_definitions(LumetraSetupNext PRIVATE LUMETRA_VERSION_BUILD=${LUMETRA_NEXT_BUILD})
set_target_properties(LumetraSetupNext PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/next)
lumetra_add_resource_dependencies(LumetraSetupNext)

# A program with every import fault that import-check must find, for its own test. The
# fault of an unbound late-loaded slot shows only with the i686 linker.
if(LUMETRA_DLLTOOL_MACHINE STREQUAL i386)
  set(faulty_dir ${CMAKE_SOURCE_DIR}/tools/import_check/tests)
  set(faulty_delay_lib ${CMAKE_BINARY_DIR}/import-check/libfaulty_delay.a)
  add_custom_command(
    OUTPUT ${faulty_delay_lib}
    COMMAND ${LUMETRA_TOOL_PREFIX}dlltool -m i386 -k -d ${faulty_dir}/faulty_imports.def
            -D MSIMG32.dll -y ${faulty_delay_lib}
    DEPENDS ${faulty_dir}/faulty_imports.def)
  add_custom_target(faulty_delay_lib DEPENDS ${faulty_delay_lib})
  add_executable(faulty_imports ${faulty_dir}/faulty_imports.c)
  add_dependencies(faulty_imports faulty_delay_lib lumetra_delay_import_libs)
  target_link_libraries(faulty_imports PRIVATE ${faulty_delay_lib}
                        ${delay_dir}/libmsimg32_delay.a wininet)
  set_target_properties(faulty_imports PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                        ${CMAKE_BINARY_DIR}/import-check)
endif()

# Benchmarks are programs of their own, kept out of the test binaries; scripts/bench-*.sh
# run them.
add_executable(download_bench ${CMAKE_SOURCE_DIR}/tools/bench/download_bench.cpp)
target_link_libraries(download_bench PRIVATE lumetra_win lumetra_release_key lumetra_searched_dlls wininet psapi)
target_link_options(download_bench PRIVATE -municode)
set_target_properties(download_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
add_executable(make_shortcuts ${CMAKE_SOURCE_DIR}/tools/bench/make_shortcuts.cpp)
target_link_libraries(make_shortcuts PRIVATE ole32 uuid)
target_link_options(make_shortcuts PRIVATE -municode)
set_target_properties(make_shortcuts PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

# --- tests under Wine ---------------------------------------------------------------
set(LUMETRA_TEST_ROOT ${CMAKE_BINARY_DIR}/test-root)
# Native programs the Wine tests use (the release server) come from the native build.
set(LUMETRA_NATIVE_BUILD_DIR ${CMAKE_SOURCE_DIR}/build/native CACHE PATH
    "Build folder of the native preset")
set(LUMETRA_WINE_RUN ${CMAKE_SOURCE_DIR}/tests/wine/wine-run.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${LUMETRA_WINE_RUN})

set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Fixture programs the tests start (stand-ins for the product and prerequisite installers).
file(GLOB LUMETRA_FIXTURE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fixtures/*.cpp)
# Fixtures that answer with the installer's own texts carry its resources.
set(LUMETRA_FIXTURES_WITH_RESOURCES show_texts)
# The prerequisite installers they stand in for are windowed programs. Built for the
# console, each would get a console host under Wine that outlives it for a moment with
# the installer's working folder (the Temp folder) as its own, so that the folder could
# not be removed right after the installation.
set(LUMETRA_WINDOWED_FIXTURES dotnet_setup_stub vc_setup_stub setup_stub_fails)
foreach(fixture_source ${LUMETRA_FIXTURE_SOURCES})
  get_filename_component(fixture ${fixture_source} NAME_WE)
  add_executable(fixture_${fixture} ${fixture_source})
  set_target_properties(fixture_${fixture} PROPERTIES OUTPUT_NAME ${fixture}
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fixtures)
  target_link_libraries(fixture_${fixture} PRIVATE ${LUMETRA_WIN32_LIBS} lumetra_searched_dlls)
  if(fixture IN_LIST LUMETRA_WINDOWED_FIXTURES)
    set_target_properties(fixture_${fixture} PROPERTIES WIN32_EXECUTABLE TRUE)
  endif()
  if(fixture IN_LIST LUMETRA_FIXTURES_WITH_RESOURCES)
    target_sources(fixture_${fixture} PRIVATE ${LUMETRA_RC_FILE})
    target_link_libraries(fixture_${fixture} PRIVATE lumetra_win lumetra_release_key)
    lumetra_add_resource_dependencies(fixture_${fixture})
  endif()
  list(APPEND LUMETRA_FIXTURE_TARGETS fixture_${fixture})
endforeach()

# A DLL planted beside the installer under the names of the DLLs it loads late.
add_library(fixture_planted_dll SHARED ${CMAKE_SOURCE_DIR}/tests/fixtures/dll/planted_dll.cpp)
set_target_properties(fixture_planted_dll PROPERTIES OUTPUT_NAME planted PREFIX ""
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fixtures)
target_link_options(fixture_planted_dll PRIVATE -Wl,--kill-at)
list(APPEND LUMETRA_FIXTURE_TARGETS fixture_planted_dll)

# The platform-free tests run natively with sanitizers and again here, inside Windows.
file(GLOB LUMETRA_WIN_TEST_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/tests/win/*.cpp ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
# The PNG reader's test checks against zlib and ImageMagick, which only the Linux side has.
list(FILTER LUMETRA_WIN_TEST_SOURCES EXCLUDE REGEX "/png_decode_test\\.cpp$")
add_executable(win_tests ${LUMETRA_WIN_TEST_SOURCES} ${LUMETRA_RC_FILE})
target_include_directories(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(win_tests PRIVATE lumetra_win lumetra_release_key lumetra_searched_dlls gtest gtest_main)
lumetra_add_resource_dependencies(win_tests)
if(LUMETRA_FIXTURE_TARGETS)
  add_dependencies(win_tests ${LUMETRA_FIXTURE_TARGETS})
endif()
# The self-update tests serve the installer itself and its one-build-newer twin.
add_dependencies(win_tests LumetraSetup LumetraSetupNext)

# One Wine prefix per test run, shared by every Wine test; a persistent wineserver keeps
# each process start at about 0.1 s.
add_test(NAME wine_prefix_setup
         COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/make-prefix.sh ${LUMETRA_TEST_ROOT})
add_test(NAME wine_prefix_teardown
         COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/stop-prefix.sh ${LUMETRA_TEST_ROOT})
set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine_prefix)
set_tests_properties(wine_prefix_teardown PROPERTIES FIXTURES_CLEANUP wine_prefix)

set(LUMETRA_TEST_ENV
    LUMETRA_TEST_ROOT=${LUMETRA_TEST_ROOT}
    LUMETRA_SOURCE_DIR=${CMAKE_SOURCE_DIR}
    LUMETRA_BUILD_DIR=${CMAKE_BINARY_DIR}
    LUMETRA_NATIVE_BUILD_DIR=${LUMETRA_NATIVE_BUILD_DIR}
    LUMETRA_WEB_HOST=${LUMETRA_WEB_HOST})

# The native release server, for the tests that download: started after the prefix (whose
# setup empties the test root), stopped by its process id after them.
set(LUMETRA_RELEASE_SERVER_STATE ${LUMETRA_TEST_ROOT}/release-server)
add_test(NAME release_server_start
         COMMAND ${CMAKE_SOURCE_DIR}/tools/release_server/start-for-tests.sh
                 ${LUMETRA_NATIVE_BUILD_DIR}/tools/release_server ${LUMETRA_RELEASE_SERVER_STATE})
add_test(NAME release_server_stop
         COMMAND ${CMAKE_SOURCE_DIR}/tools/release_server/stop-for-tests.sh
                 ${LUMETRA_RELEASE_SERVER_STATE})
set_tests_properties(release_server_start PROPERTIES FIXTURES_SETUP release_server
                     FIXTURES_REQUIRED wine_prefix)
set_tests_properties(release_server_stop PROPERTIES FIXTURES_CLEANUP release_server)
list(APPEND LUMETRA_TEST_ENV LUMETRA_RELEASE_SERVER_STATE=${LUMETRA_RELEASE_SERVER_STATE})

add_test(NAME win_tests COMMAND win_tests --gtest_color=no --gtest_shuffle)
set_tests_properties(win_tests PROPERTIES FIXTURES_REQUIRED "wine_prefix;release_server"
                     ENVIRONMENT "${LUMETRA_TEST_ENV}" TIMEOUT 900)

# End-to-end: the real installer under Wine on a private Xvfb display.
file(GLOB LUMETRA_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.sh)
foreach(e2e ${LUMETRA_E2E_TESTS})
  get_filename_component(name ${e2e} NAME_WE)
  add_test(NAME e2e_${name} COMMAND bash ${e2e})
  set_tests_properties(e2e_${name} PROPERTIES FIXTURES_REQUIRED wine_prefix
                       ENVIRONMENT "${LUMETRA_TEST_ENV};LUMETRA_EXE=$<TARGET_FILE:LumetraSetup>;LUMETRA_NEXT_EXE=$<TARGET_FILE:LumetraSetupNext>"
                       TIMEOUT 300 RESOURCE_LOCK wine_desktop)
endforeach()
