list(APPEND LUMETRA_CORE_SOURCES
  src/app/command_line.cpp
  src/app/switches.cpp)
list(APPEND LUMETRA_WIN_SOURCES
  src/app/installer_app.cpp
  src/app/unattended_install.cpp)
