# lumetra-release: the publishers' kit (make, sign, lint, explain update_win.ini), built on the
# installer's own configuration reader and rules.
find_package(PkgConfig REQUIRED)
pkg_check_modules(CPP_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
find_package(OpenSSL REQUIRED COMPONENTS Crypto)

set(LUMETRA_RELEASE_DIR ${CMAKE_CURRENT_LIST_DIR})
add_library(lumetra_release_lib STATIC
  ${LUMETRA_RELEASE_DIR}/explain.cpp
  ${LUMETRA_RELEASE_DIR}/lint.cpp
  ${LUMETRA_RELEASE_DIR}/make_config.cpp
  ${LUMETRA_RELEASE_DIR}/pe_version.cpp
  ${LUMETRA_RELEASE_DIR}/release_files.cpp
  ${LUMETRA_RELEASE_DIR}/release_section.cpp
  ${LUMETRA_RELEASE_DIR}/signing.cpp)
target_include_directories(lumetra_release_lib PUBLIC ${LUMETRA_RELEASE_DIR}
                           ${CMAKE_SOURCE_DIR}/tools/common)
target_link_libraries(lumetra_release_lib PUBLIC lumetra_core PkgConfig::CPP_HTTPLIB OpenSSL::Crypto)

add_executable(lumetra-release ${LUMETRA_RELEASE_DIR}/main.cpp)
target_link_libraries(lumetra-release PRIVATE lumetra_release_lib)
set_target_properties(lumetra-release PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

file(GLOB LUMETRA_RELEASE_TEST_SOURCES CONFIGURE_DEPENDS ${LUMETRA_RELEASE_DIR}/tests/*.cpp)
add_executable(lumetra_release_tests ${LUMETRA_RELEASE_TEST_SOURCES})
target_link_libraries(lumetra_release_tests PRIVATE lumetra_release_lib gtest gtest_main)
add_dependencies(lumetra_release_tests lumetra-release)
# The tests that run the tool as a publisher would (one ctest ENVIRONMENT list cannot
# carry a second variable through test discovery).
target_compile_definitions(lumetra_release_tests PRIVATE
  LUMETRA_RELEASE_TOOL_PATH="$<TARGET_FILE:lumetra-release>")
gtest_discover_tests(lumetra_release_tests PROPERTIES ENVIRONMENT
  "LUMETRA_SOURCE_DIR=${CMAKE_SOURCE_DIR};LUMETRA_RELEASE_TOOL=$<TARGET_FILE:lumetra-release>")
