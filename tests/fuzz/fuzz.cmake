# libFuzzer targets for the platform-free readers, under the native sanitizers. Built only
# by the fuzz preset (clang); scripts/fuzz.sh builds the target "fuzzers" and runs each.
file(GLOB LUMETRA_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
add_custom_target(fuzzers)
foreach(fuzz_source ${LUMETRA_FUZZ_SOURCES})
  get_filename_component(fuzzer ${fuzz_source} NAME_WE)
  add_executable(${fuzzer} ${fuzz_source})
  target_link_libraries(${fuzzer} PRIVATE lumetra_core)
  target_link_options(${fuzzer} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${fuzzer} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  add_dependencies(fuzzers ${fuzzer})
endforeach()
