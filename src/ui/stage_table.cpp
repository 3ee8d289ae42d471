#include "ui/stage_table.h"

#include "resource_ids.h"

namespace {

struct StageRow {
  Stage stage;
  StageLayout layout;
};

// The failed stage's status text is its failure's; the row holds 0 there.
constexpr StageRow kStageRows[] = {
    {Stage::kChecking, {.statusTextId = IDS_CHECKING_INTERNET, .busy = true, .windowButtons = true}},
    {Stage::kOffline,
     {.statusTextId = IDS_NO_INTERNET, .red = true, .busy = true, .windowButtons = true}},
    {Stage::kUpdatingInstaller,
     {.statusTextId = IDS_UPDATING_INSTALLER, .progress = true, .windowButtons = true,
      .stopsBusyTimer = true}},
    {Stage::kPreparing,
     {.statusTextId = IDS_PREPARE_TO_INSTALL, .busy = true, .windowButtons = true}},
    {Stage::kReady, {.licenceGroup = true, .stopsBusyTimer = true}},
    {Stage::kDownloading,
     {.statusTextId = IDS_DOWNLOADING, .progress = true, .folderRow = FolderRow::kEditable,
      .windowButtons = true, .stopsBusyTimer = true}},
    {Stage::kInstalling,
     {.statusTextId = IDS_INSTALLING, .progress = true, .folderRow = FolderRow::kInstallingTo,
      .stopsBusyTimer = true}},
    {Stage::kStartingProduct, {.statusTextId = IDS_INSTALL_COMPLETE, .stopsBusyTimer = true}},
    {Stage::kFailed, {.red = true, .windowButtons = true, .stopsBusyTimer = true}},
    {Stage::kOsUnsupported, {.red = true, .osPage = true, .stopsBusyTimer = true}},
};

constexpr struct {
  Failure failure;
  int textId;
} kFailureTexts[] = {
    {Failure::kNoConnection, IDS_NO_INTERNET},
    {Failure::kServerConfig, IDS_SERVER_CONFIG_ERROR},
    {Failure::kUnknown, IDS_UNKNOWN_ERROR},
    {Failure::kInstallFailed, IDS_CONNECTIVITY_FAILED},
    {Failure::kDiskSpace, IDS_DISK_SPACE_FAILED},
};

}  // namespace

int FailureTextId(Failure failure) {
  for (const auto& entry : kFailureTexts)
    if (entry.failure == failure) return entry.textId;
  return IDS_UNKNOWN_ERROR;
}

StageLayout StageLayoutFor(Stage stage, Failure failure) {
  for (const StageRow& row : kStageRows) {
    if (row.stage != stage) continue;
    StageLayout layout = row.layout;
    if (stage == Stage::kFailed) layout.statusTextId = FailureTextId(failure);
    return layout;
  }
  return StageLayout{};
}
