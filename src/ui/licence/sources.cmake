list(APPEND LUMETRA_CORE_SOURCES
  src/ui/licence/licence_layout.cpp)
list(APPEND LUMETRA_WIN_SOURCES
  src/ui/licence/auto_line_static.cpp
  src/ui/licence/link_opener.cpp)
