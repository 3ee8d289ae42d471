#include <gtest/gtest.h>

#include <set>

#include "resource_ids.h"
#include "ui/main_layout.h"
#include "ui/stage_table.h"

namespace {

// The stages (0..10) whose row has `property`.
template <typename Property>
std::set<int> StagesWhere(Property property) {
  std::set<int> stages;
  for (int stage = 0; stage <= 10; ++stage) {
    const auto row = StageLayoutFor(stage, IDS_SERVER_CONFIG_ERROR);
    if (row && property(*row)) stages.insert(stage);
  }
  return stages;
}

}  // namespace

TEST(StageTable, EachElementShowsInItsStages) {
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.statusTextId != 0; }),
            (std::set<int>{0, 1, 2, 3, 5, 7, 8, 9}));
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.red; }), (std::set<int>{1, 9, 10}));
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.busy; }), (std::set<int>{0, 1, 3}));
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.progress; }),
            (std::set<int>{2, 5, 7}));
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.licenceGroup; }), (std::set<int>{4}));
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.windowButtons; }),
            (std::set<int>{0, 1, 2, 3, 5, 9}));
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.osPage; }), (std::set<int>{10}));
  EXPECT_EQ(StagesWhere([](const StageLayout& r) { return r.stopsBusyTimer; }),
            (std::set<int>{2, 4, 5, 7, 8, 9, 10}));
  EXPECT_EQ(StageLayoutFor(5, 0)->folderRow, FolderRow::kEditable);
  EXPECT_EQ(StageLayoutFor(7, 0)->folderRow, FolderRow::kInstallingTo);
}

TEST(StageTable, FailedStageShowsTheWorkersTextAndOtherNumbersOnlyRepaint) {
  EXPECT_EQ(StageLayoutFor(9, IDS_DISK_SPACE_FAILED)->statusTextId, IDS_DISK_SPACE_FAILED);
  EXPECT_EQ(StageLayoutFor(1, 0)->statusTextId, IDS_NO_INTERNET);
  EXPECT_EQ(StageLayoutFor(8, 0)->statusTextId, IDS_INSTALL_COMPLETE);
  for (int stage : {-1, 6, 11, 1000}) EXPECT_FALSE(StageLayoutFor(stage, 0)) << stage;
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
