list(APPEND LUMETRA_CORE_SOURCES
  src/base/path_util.cpp
  src/base/wide_string.cpp)
