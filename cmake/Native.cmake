# Platform-free logic and the native tools, built for Linux with sanitizers.
set(LUMETRA_SANITIZERS -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
# The fuzz preset (clang) also instruments the core for libFuzzer's coverage.
option(LUMETRA_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(LUMETRA_FUZZ)
  list(APPEND LUMETRA_SANITIZERS -fsanitize=fuzzer-no-link)
endif()
include_directories(${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/res ${CMAKE_BINARY_DIR}/generated)

add_library(lumetra_core STATIC ${LUMETRA_CORE_SOURCES})
target_compile_options(lumetra_core PUBLIC ${LUMETRA_SANITIZERS})
target_link_options(lumetra_core PUBLIC ${LUMETRA_SANITIZERS})

add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

file(GLOB LUMETRA_NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(native_tests ${LUMETRA_NATIVE_TEST_SOURCES})
target_include_directories(native_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
# zlib and ImageMagick are the references the PNG reader is checked against.
find_package(ZLIB REQUIRED)
target_link_libraries(native_tests PRIVATE lumetra_core gtest gtest_main ZLIB::ZLIB)
gtest_discover_tests(native_tests EXTRA_ARGS --gtest_shuffle PROPERTIES ENVIRONMENT "LUMETRA_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# Native programs for tests and the demo (the local release server, ...).
file(GLOB LUMETRA_TOOL_CMAKE CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*/tool.cmake)
foreach(tool_cmake ${LUMETRA_TOOL_CMAKE})
  include(${tool_cmake})
endforeach()

if(LUMETRA_FUZZ)
  include(${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz.cmake)
endif()

# The release preset refuses to configure without the publisher's key.
add_test(NAME release_preset_needs_key
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/configure/release_preset_needs_key.sh ${CMAKE_SOURCE_DIR})
