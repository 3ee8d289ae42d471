// What the main window shows in each stage of the installation. Platform-free: one row
// per stage, applied by the window's SetStage.
#pragma once

#include <optional>

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

// The row of `stage`; `errorTextId` is the text the failed stage shows. No row for stage 6
// or a number outside 0..10: the window then only repaints.
std::optional<StageLayout> StageLayoutFor(int stage, int errorTextId);
