list(APPEND LUMETRA_CORE_SOURCES
  src/system/admin_folder_rules.cpp
  src/system/integration_paths.cpp
  src/system/log_line.cpp
  src/system/probe_rules.cpp
  src/system/program_command_line.cpp
  src/system/user_folders.cpp)
list(APPEND LUMETRA_WIN_SOURCES
  src/system/admin_folder.cpp
  src/system/carried_files.cpp
  src/system/debug_trace.cpp
  src/system/folder_set.cpp
  src/system/folder_tree.cpp
  src/system/held_files.cpp
  src/system/install_log.cpp
  src/system/module_path.cpp
  src/system/probes.cpp
  src/system/process.cpp
  src/system/product_font.cpp
  src/system/release_serial_store.cpp
  src/system/run_at_startup.cpp
  src/system/shortcuts.cpp
  src/system/user_folder_files.cpp)
