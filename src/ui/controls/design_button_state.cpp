#include "ui/controls/design_button_state.h"

// Plain #defines, no <windows.h>: the one list of picture and control ids.
#include "resource_ids.h"

DesignButtonStyle DesignButtonStyleFor(int buttonId) {
  switch (buttonId) {
    case IDC_CONTINUE:
    case IDC_OS_OK: return DesignButtonStyle::kTextFilled;
    case IDC_CANCEL: return DesignButtonStyle::kTextOutlined;
    case IDC_BROWSE: return DesignButtonStyle::kFolder;
    case IDC_BUSY: return DesignButtonStyle::kAnimation;
    default: return DesignButtonStyle::kPicture;
  }
}

DesignButtonState::DesignButtonState(int buttonId, const DesignButtonImages& images)
    : id_(buttonId), style_(DesignButtonStyleFor(buttonId)), images_(images),
      current_(images.normal) {}

bool DesignButtonState::HasHoverLook() const { return id_ == IDC_CLOSE || id_ == IDC_MINIMIZE; }
bool DesignButtonState::IsCheckBox() const { return id_ == IDC_CHECKBOX; }

bool DesignButtonState::IsTicked() const {
  return IsCheckBox() && (current_ == images_.pressed || current_ == IDB_CHECK_TICKED_FOCUS);
}

bool DesignButtonState::MouseMoved(bool buttonHeld) {
  if (!HasHoverLook() || current_ == images_.hover) return false;
  // While the button is held the pressed picture stays, however the pointer jitters.
  if (buttonHeld && current_ == images_.pressed) return false;
  current_ = images_.hover;
  return true;
}

bool DesignButtonState::MouseLeft() {
  if (!HasHoverLook() || current_ != images_.hover || current_ == images_.normal) return false;
  current_ = images_.normal;
  return true;
}

void DesignButtonState::ButtonPressed() {
  // A press on the ticked check box unticks it; any other press shows the pressed picture
  // (which for the check box is its ticked picture).
  if (IsCheckBox() && (current_ == images_.pressed || current_ == IDB_CHECK_TICKED_FOCUS))
    current_ = images_.normal;
  else
    current_ = images_.pressed;
}

DesignButtonClick DesignButtonState::ButtonReleased(bool hasOwner) {
  if (!IsCheckBox()) current_ = images_.normal;
  return DesignButtonClick{hasOwner && enabled_, current_ == images_.pressed};
}

bool DesignButtonState::SetFocusLook() {
  if (focusLook_ && current_ != IDB_CHECK_TICKED) return false;
  focusLook_ = true;
  if (current_ == IDB_CHECK_TICKED)
    current_ = IDB_CHECK_TICKED_FOCUS;
  else if (images_.focus != 0)
    current_ = images_.focus;
  return true;
}

bool DesignButtonState::ClearFocusLook() {
  if (!focusLook_) return false;
  focusLook_ = false;
  if (current_ == IDB_CHECK_TICKED_FOCUS || current_ == IDB_CHECK_TICKED)
    current_ = IDB_CHECK_TICKED;
  else if (images_.normal != 0)
    current_ = images_.normal;
  return true;
}

bool DesignButtonState::ToggleTickByKeyboard() {
  if (!IsCheckBox()) return false;
  current_ = current_ == IDB_CHECK_TICKED_FOCUS ? IDB_CHECK_UNTICKED_FOCUS : IDB_CHECK_TICKED_FOCUS;
  return current_ == IDB_CHECK_TICKED_FOCUS;
}

int NextBusyFrame(int frame) {
  if (frame >= kFirstBusyFrame && frame < kLastBusyFrame) return frame + 1;
  if (frame == kLastBusyFrame) return kFirstBusyFrame;
  return 0;
}

int BusyFramePicture(int frame) {
  if (frame < kFirstBusyFrame || frame > kLastBusyFrame) return 0;
  return IDB_BUSY_FIRST + frame - kFirstBusyFrame;
}
