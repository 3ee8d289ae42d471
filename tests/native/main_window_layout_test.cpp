#include <gtest/gtest.h>

#include <set>

#include "native/stage_printers.h"
#include "resource_ids.h"
#include "ui/main_layout.h"
#include "ui/stage_table.h"

namespace {

constexpr Stage kAllStages[] = {
    Stage::kChecking, Stage::kOffline,     Stage::kUpdatingInstaller, Stage::kPreparing,
    Stage::kReady,    Stage::kDownloading, Stage::kInstalling,        Stage::kStartingProduct,
    Stage::kFailed,   Stage::kOsUnsupported};
constexpr Failure kAllFailures[] = {Failure::kNoConnection, Failure::kServerConfig,
                                    Failure::kUnknown, Failure::kInstallFailed,
                                    Failure::kDiskSpace};

// The stages whose row has `property`.
template <typename Property>
std::set<Stage> StagesWhere(Property property) {
  std::set<Stage> stages;
  for (Stage stage : kAllStages)
    if (property(StageLayoutFor(stage, Failure::kServerConfig))) stages.insert(stage);
  return stages;
}

}  // namespace

TEST(StageTable, EachElementShowsInItsStages) {
  using enum Stage;
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.statusTextId != 0; }),
            (std::set<Stage>{kChecking, kOffline, kUpdatingInstaller, kPreparing, kDownloading,
                             kInstalling, kStartingProduct, kFailed}));
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.red; }),
            (std::set<Stage>{kOffline, kFailed, kOsUnsupported}));
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.busy; }),
            (std::set<Stage>{kChecking, kOffline, kPreparing}));
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.progress; }),
            (std::set<Stage>{kUpdatingInstaller, kDownloading, kInstalling}));
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.licenceGroup; }),
            (std::set<Stage>{kReady}));
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.windowButtons; }),
            (std::set<Stage>{kChecking, kOffline, kUpdatingInstaller, kPreparing, kDownloading,
                             kFailed}));
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.osPage; }),
            (std::set<Stage>{kOsUnsupported}));
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.stopsBusyTimer; }),
            (std::set<Stage>{kUpdatingInstaller, kReady, kDownloading, kInstalling,
                             kStartingProduct, kFailed, kOsUnsupported}));
  EXPECT_EQ(StageLayoutFor(kDownloading, Failure::kNoConnection).folderRow, FolderRow::kEditable);
  EXPECT_EQ(StageLayoutFor(kInstalling, Failure::kNoConnection).folderRow,
            FolderRow::kInstallingTo);
}

TEST(StageTable, FailedStageShowsItsFailuresTextAndOtherStagesTheirOwn) {
  EXPECT_EQ(FailureTextId(Failure::kNoConnection), IDS_NO_INTERNET);
  EXPECT_EQ(FailureTextId(Failure::kServerConfig), IDS_SERVER_CONFIG_ERROR);
  EXPECT_EQ(FailureTextId(Failure::kUnknown), IDS_UNKNOWN_ERROR);
  EXPECT_EQ(FailureTextId(Failure::kInstallFailed), IDS_CONNECTIVITY_FAILED);
  EXPECT_EQ(FailureTextId(Failure::kDiskSpace), IDS_DISK_SPACE_FAILED);
  for (Failure failure : kAllFailures) {
    SCOPED_TRACE(FailureName(failure));
    EXPECT_EQ(StageLayoutFor(Stage::kFailed, failure).statusTextId, FailureTextId(failure));
    EXPECT_EQ(StageLayoutFor(Stage::kOffline, failure).statusTextId, IDS_NO_INTERNET);
    EXPECT_EQ(StageLayoutFor(Stage::kStartingProduct, failure).statusTextId, IDS_INSTALL_COMPLETE);
    EXPECT_EQ(StageLayoutFor(Stage::kReady, failure).statusTextId, 0);
  }
}

TEST(StatusLine, WrapsOnlyBeyondThreeHundredPixelsKeepingItsBottom) {
  EXPECT_EQ(StatusLineRect(246, 19, 400), (ControlRect{77, 513, 246, 19}));
  EXPECT_EQ(StatusLineRect(300, 19, 400), (ControlRect{50, 513, 300, 19}));
  EXPECT_EQ(StatusLineRect(301, 19, 400), (ControlRect{50, 475, 300, 57}));
  EXPECT_EQ(StatusLineRect(301, 19, 400).y + StatusLineRect(301, 19, 400).height, 532);
  EXPECT_EQ(StatusLineRect(650, 19, 400).height, 4 * 19);
}

TEST(StatusLine, UnsupportedOsTextKeepsItsTopAt360) {
  EXPECT_EQ(OsTextRect(200, 20, 400), (ControlRect{100, 360, 200, 20}));
  EXPECT_EQ(OsTextRect(480, 20, 400), (ControlRect{50, 360, 300, 60}));
}

TEST(FolderRow, CentresLabelFieldAndBrowseAsOneGroup) {
  const FolderRowLayout row = LayoutFolderRow(60, 16, 400);
  EXPECT_EQ(row.label, (ControlRect{38, 599, 60, 16}));
  EXPECT_EQ(row.field, (ControlRect{110, 589, 214, 36}));
  EXPECT_EQ(row.browse, (ControlRect{323, 589, 36, 36}));
}

TEST(FolderRow, InstallingToLineIsCentredUntilItFillsTheWindow) {
  EXPECT_EQ(InstallingToRect(250, 16, 400), (ControlRect{75, 599, 250, 16}));
  EXPECT_EQ(InstallingToRect(400, 16, 400), (ControlRect{50, 599, 300, 16}));
  EXPECT_EQ(InstallingToRect(900, 16, 400), (ControlRect{50, 599, 300, 16}));
}
