list(APPEND LUMETRA_CORE_SOURCES
  src/ui/cancel/exit_choice_layout.cpp)
list(APPEND LUMETRA_WIN_SOURCES
  src/ui/cancel/cover_dlg.cpp
  src/ui/cancel/exit_option.cpp)
