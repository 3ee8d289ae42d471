list(APPEND LUMETRA_CORE_SOURCES
  src/system/log_line.cpp
  src/system/user_folders.cpp)
list(APPEND LUMETRA_WIN_SOURCES
  src/system/folder_set.cpp
  src/system/install_log.cpp
  src/system/module_path.cpp
  src/system/process.cpp
  src/system/product_font.cpp)
