#include "ui/stage_table.h"

#include "resource_ids.h"

namespace {

constexpr bool kYes = true;
constexpr bool kNo = false;

StageLayout Row(int statusTextId, bool red, bool busy, bool progress, bool licenceGroup,
                FolderRow folderRow, bool windowButtons, bool osPage, bool stopsBusyTimer) {
  return StageLayout{statusTextId, red,           busy,   progress,      licenceGroup,
                     folderRow,    windowButtons, osPage, stopsBusyTimer};
}

}  // namespace

std::optional<StageLayout> StageLayoutFor(int stage, int errorTextId) {
  using enum FolderRow;
  // Columns: status text, red, busy animation, progress bar, licence group, folder row,
  // window buttons, unsupported-OS page, stops the busy animation's timer.
  switch (stage) {
    case 0: return Row(IDS_CHECKING_INTERNET, kNo, kYes, kNo, kNo, kHidden, kYes, kNo, kNo);
    case 1: return Row(IDS_NO_INTERNET, kYes, kYes, kNo, kNo, kHidden, kYes, kNo, kNo);
    case 2: return Row(IDS_UPDATING_INSTALLER, kNo, kNo, kYes, kNo, kHidden, kYes, kNo, kYes);
    case 3: return Row(IDS_PREPARE_TO_INSTALL, kNo, kYes, kNo, kNo, kHidden, kYes, kNo, kNo);
    case 4: return Row(0, kNo, kNo, kNo, kYes, kHidden, kNo, kNo, kYes);
    case 5: return Row(IDS_DOWNLOADING, kNo, kNo, kYes, kNo, kEditable, kYes, kNo, kYes);
    case 7: return Row(IDS_INSTALLING, kNo, kNo, kYes, kNo, kInstallingTo, kNo, kNo, kYes);
    case 8: return Row(IDS_INSTALL_COMPLETE, kNo, kNo, kNo, kNo, kHidden, kNo, kNo, kYes);
    case 9: return Row(errorTextId, kYes, kNo, kNo, kNo, kHidden, kYes, kNo, kYes);
    case 10: return Row(0, kYes, kNo, kNo, kNo, kHidden, kNo, kYes, kYes);
    default: return std::nullopt;
  }
}
