# The local release server: serves a release folder on 127.0.0.1 with byte ranges,
# a request log and faults on demand, for the Wine tests, the end-to-end tests and the demo.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(CPP_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)

add_executable(release_server
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fault_plan.cpp)
target_link_libraries(release_server PRIVATE PkgConfig::CPP_HTTPLIB Threads::Threads)
set_target_properties(release_server PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
# Optimised even in the Debug preset: the download benchmark must not measure the server.
target_compile_options(release_server PRIVATE -O2)
