#include "ui/controls/design_button_state.h"

#include <gtest/gtest.h>

#include <set>

#include "resource_ids.h"

namespace {

DesignButtonState CheckBox() {
  return DesignButtonState(IDC_CHECKBOX, {IDB_CHECK_UNTICKED, IDB_CHECK_UNTICKED,
                                          IDB_CHECK_TICKED, IDB_CHECK_UNTICKED_FOCUS});
}
DesignButtonState Continue() {
  return DesignButtonState(IDC_CONTINUE, {IDC_CONTINUE, IDC_CONTINUE, IDC_CONTINUE,
                                          IDB_CANCEL_FACE_FOCUS});
}

// A full click; answers what the owner is told (report, ticked).
DesignButtonClick Click(DesignButtonState& button, bool hasOwner = true) {
  button.ButtonPressed();
  return button.ButtonReleased(hasOwner);
}

}  // namespace

TEST(DesignButtonState, CheckBoxTicksAndUnticksByClicks) {
  DesignButtonState box = CheckBox();
  EXPECT_EQ(box.CurrentImage(), IDB_CHECK_UNTICKED);
  EXPECT_FALSE(box.MouseMoved(false));  // no hover look: a pass of the mouse keeps the tick
  box.ButtonPressed();
  EXPECT_EQ(box.CurrentImage(), IDB_CHECK_TICKED);
  const DesignButtonClick ticked = box.ButtonReleased(true);
  EXPECT_TRUE(ticked.report);
  EXPECT_TRUE(ticked.ticked);
  EXPECT_EQ(box.CurrentImage(), IDB_CHECK_TICKED);  // the release keeps the tick
  EXPECT_FALSE(box.MouseMoved(false));
  EXPECT_FALSE(box.MouseLeft());
  EXPECT_EQ(box.CurrentImage(), IDB_CHECK_TICKED);

  const DesignButtonClick unticked = Click(box);
  EXPECT_TRUE(unticked.report);
  EXPECT_FALSE(unticked.ticked);
  EXPECT_EQ(box.CurrentImage(), IDB_CHECK_UNTICKED);
}

TEST(DesignButtonState, CheckBoxShowsTheFocusLookInBothStates) {
  DesignButtonState box = CheckBox();
  EXPECT_TRUE(box.SetFocusLook());
  EXPECT_EQ(box.CurrentImage(), IDB_CHECK_UNTICKED_FOCUS);
  EXPECT_TRUE(box.ToggleTickByKeyboard());
  EXPECT_EQ(box.CurrentImage(), IDB_CHECK_TICKED_FOCUS);
  EXPECT_FALSE(box.ToggleTickByKeyboard());
  EXPECT_EQ(box.CurrentImage(), IDB_CHECK_UNTICKED_FOCUS);
  EXPECT_TRUE(box.ToggleTickByKeyboard());
  EXPECT_TRUE(box.ClearFocusLook());
  EXPECT_EQ(box.CurrentImage(), IDB_CHECK_TICKED);  // ticked without focus
  EXPECT_FALSE(box.ClearFocusLook());

  // A click while focused ticks with the plain picture; setting the look again turns it
  // into the focused ticked one even though the look is still on.
  DesignButtonState clicked = CheckBox();
  clicked.SetFocusLook();
  EXPECT_TRUE(Click(clicked).ticked);
  EXPECT_EQ(clicked.CurrentImage(), IDB_CHECK_TICKED);
  EXPECT_TRUE(clicked.SetFocusLook());
  EXPECT_EQ(clicked.CurrentImage(), IDB_CHECK_TICKED_FOCUS);
  EXPECT_FALSE(clicked.SetFocusLook());
  EXPECT_TRUE(clicked.IsTicked());
}

TEST(DesignButtonState, PressOnTheFocusedTickedBoxUnticksIt) {
  DesignButtonState box = CheckBox();
  box.SetFocusLook();
  box.ToggleTickByKeyboard();
  ASSERT_EQ(box.CurrentImage(), IDB_CHECK_TICKED_FOCUS);
  const DesignButtonClick click = Click(box);
  EXPECT_TRUE(click.report);
  EXPECT_FALSE(click.ticked);
  EXPECT_FALSE(box.IsTicked());
  EXPECT_EQ(box.CurrentImage(), IDB_CHECK_UNTICKED);
}

TEST(DesignButtonState, DisabledContinueChangesPictureOnPressButReportsNothing) {
  DesignButtonState button = Continue();
  button.SetFocusLook();
  EXPECT_EQ(button.CurrentImage(), IDB_CANCEL_FACE_FOCUS);
  button.SetEnabled(false);
  button.ButtonPressed();
  EXPECT_EQ(button.CurrentImage(), IDC_CONTINUE);
  EXPECT_FALSE(button.ButtonReleased(true).report);

  button.SetEnabled(true);
  EXPECT_TRUE(Click(button).report);
  EXPECT_FALSE(Click(button, /*hasOwner=*/false).report);
}

TEST(DesignButtonState, FocusLookSwitchesOnlyOnChange) {
  DesignButtonState button = Continue();
  EXPECT_FALSE(button.ClearFocusLook());
  EXPECT_TRUE(button.SetFocusLook());
  EXPECT_TRUE(button.HasFocusLook());
  EXPECT_FALSE(button.SetFocusLook());
  EXPECT_TRUE(button.ClearFocusLook());
  EXPECT_EQ(button.CurrentImage(), IDC_CONTINUE);
  EXPECT_FALSE(button.HasFocusLook());
}

TEST(DesignButtonState, CloseShowsHoverUntilReleaseOrLeave) {
  DesignButtonState close(IDC_CLOSE, {IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, IDB_CLOSE_PRESSED, 0});
  EXPECT_TRUE(close.MouseMoved(false));
  EXPECT_EQ(close.CurrentImage(), IDB_CLOSE_HOVER);
  EXPECT_FALSE(close.MouseMoved(false));  // no repaint per mouse move
  EXPECT_TRUE(close.MouseLeft());
  EXPECT_EQ(close.CurrentImage(), IDB_CLOSE_NORMAL);
  EXPECT_FALSE(close.MouseLeft());

  close.MouseMoved(false);
  close.ButtonPressed();
  EXPECT_EQ(close.CurrentImage(), IDB_CLOSE_PRESSED);
  EXPECT_FALSE(close.MouseMoved(true));  // held: stays pressed
  EXPECT_EQ(close.CurrentImage(), IDB_CLOSE_PRESSED);
  EXPECT_TRUE(close.ButtonReleased(true).report);
  EXPECT_EQ(close.CurrentImage(), IDB_CLOSE_NORMAL);
}

TEST(DesignButtonState, MinimizeHoverEndsWhenTheFocusLookIsCleared) {
  DesignButtonState minimize(IDC_MINIMIZE,
                             {IDB_MINIMIZE_NORMAL, IDB_MINIMIZE_HOVER, IDB_MINIMIZE_PRESSED, 0});
  minimize.MouseMoved(false);
  EXPECT_FALSE(minimize.ClearFocusLook());  // no look to clear: the hover stays
  EXPECT_EQ(minimize.CurrentImage(), IDB_MINIMIZE_HOVER);
  EXPECT_TRUE(minimize.SetFocusLook());  // no focus picture: the hover stays
  EXPECT_EQ(minimize.CurrentImage(), IDB_MINIMIZE_HOVER);
  EXPECT_TRUE(minimize.ClearFocusLook());
  EXPECT_EQ(minimize.CurrentImage(), IDB_MINIMIZE_NORMAL);
}

TEST(BusyAnimation, FramesCycleThroughAllThirtyFourPictures) {
  std::set<int> pictures;
  int frame = 1;
  for (int step = 0; step < 34; ++step) {
    pictures.insert(BusyFramePicture(frame));
    frame = NextBusyFrame(frame);
  }
  EXPECT_EQ(frame, 1);
  EXPECT_EQ(pictures.size(), 34u);
  EXPECT_EQ(*pictures.begin(), IDB_BUSY_FIRST);
  EXPECT_EQ(*pictures.rbegin(), IDB_BUSY_LAST);
  EXPECT_EQ(BusyFramePicture(34), IDB_BUSY_LAST);
  EXPECT_EQ(NextBusyFrame(34), 1);
  for (int stop : {0, 35, -1, 1000}) {
    EXPECT_EQ(NextBusyFrame(stop), 0) << stop;
    EXPECT_EQ(BusyFramePicture(stop), 0) << stop;
  }
}
