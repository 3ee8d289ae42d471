list(APPEND LUMETRA_CORE_SOURCES
  src/ui/controls/control_geometry.cpp
  src/ui/controls/design_button_state.cpp)
list(APPEND LUMETRA_WIN_SOURCES
  src/ui/controls/design_button.cpp
  src/ui/controls/design_progress.cpp
  src/ui/controls/dl_edit.cpp
  src/ui/controls/offscreen_canvas.cpp)
