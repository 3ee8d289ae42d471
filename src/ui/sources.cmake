list(APPEND LUMETRA_CORE_SOURCES
  src/ui/main_layout.cpp
  src/ui/placeholders.cpp
  src/ui/stage_table.cpp
  src/ui/text_language.cpp
  src/ui/text_markers.cpp
  src/ui/window_placement.cpp)
list(APPEND LUMETRA_WIN_SOURCES
  src/ui/framework/control.cpp
  src/ui/framework/dialog.cpp
  src/ui/framework/gdi.cpp
  src/ui/installer_dlg.cpp
  src/ui/installer_dlg_input.cpp
  src/ui/installer_dlg_paint.cpp
  src/ui/installer_dlg_stage.cpp
  src/ui/texts.cpp)
