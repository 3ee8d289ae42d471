list(APPEND LUMETRA_CORE_SOURCES
  src/ui/placeholders.cpp
  src/ui/text_language.cpp
  src/ui/text_markers.cpp
  src/ui/window_placement.cpp)
list(APPEND LUMETRA_WIN_SOURCES
  src/ui/framework/control.cpp
  src/ui/framework/dialog.cpp
  src/ui/framework/gdi.cpp
  src/ui/installer_dlg.cpp
  src/ui/texts.cpp)
