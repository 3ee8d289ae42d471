list(APPEND LUMETRA_CORE_SOURCES
  src/app/command_line.cpp)
list(APPEND LUMETRA_WIN_SOURCES
  src/app/installer_app.cpp)
