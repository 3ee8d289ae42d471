// What the main window shows in each stage of the installation, and the text of each
// failure. Platform-free: one row per stage, applied by the window when the stage changes.
#pragma once

#include "workflow/stage.h"

enum class FolderRow { kHidden, kEditable, kInstallingTo };

struct StageLayout {
  int statusTextId = 0;  // 0: the status line is hidden
  bool red = false;
  bool busy = false;
  bool progress = false;
  bool licenceGroup = false;  // the licence line, the check box, Continue and Cancel
  FolderRow folderRow = FolderRow::kHidden;
  bool windowButtons = false;  // minimize and close
  bool osPage = false;         // the unsupported-OS page
  bool stopsBusyTimer = false;
};

// The row of `stage`; the failed stage's status line says `failure`'s text.
StageLayout StageLayoutFor(Stage stage, Failure failure);

// The text the failed stage shows for `failure`.
int FailureTextId(Failure failure);
