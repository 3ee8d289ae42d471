// What a design button shows and when it reports a click: the picture of the moment,
// enabled, focus look and animation frame, moved by mouse and focus events. Platform-free;
// CDesignButton only feeds it messages and draws what it says.
#pragma once

// How a button draws itself; fixed by its control id.
enum class DesignButtonStyle {
  kPicture,       // close, minimize, licence check box: the current picture
  kTextFilled,    // Continue, OK: caption on a filled picture
  kTextOutlined,  // Cancel: caption on an outlined picture
  kFolder,        // Browse: framed folder symbol
  kAnimation,     // busy: one picture per frame
};

DesignButtonStyle DesignButtonStyleFor(int buttonId);

// Picture ids of the four looks; text, folder and animation buttons hold their own id in
// the first three, which are then never drawn. 0 = no such look.
struct DesignButtonImages {
  int normal = 0;
  int hover = 0;
  int pressed = 0;
  int focus = 0;
};

// What a button release tells the owner: `report` when the owner is to hear of it.
struct DesignButtonClick {
  bool report = false;
  bool ticked = false;
};

inline constexpr int kFirstBusyFrame = 1;
inline constexpr int kLastBusyFrame = 34;

class DesignButtonState {
 public:
  DesignButtonState(int buttonId, const DesignButtonImages& images);

  int Id() const { return id_; }
  DesignButtonStyle Style() const { return style_; }
  const DesignButtonImages& Images() const { return images_; }
  int CurrentImage() const { return current_; }
  bool IsEnabled() const { return enabled_; }
  bool HasFocusLook() const { return focusLook_; }
  int Frame() const { return frame_; }
  // The licence check box is ticked while it shows its pressed or ticked-with-focus picture.
  bool IsTicked() const;

  // Mouse events. Those answering bool say whether the picture changed (repaint at once).
  bool MouseMoved(bool buttonHeld);
  bool MouseLeft();
  void ButtonPressed();
  DesignButtonClick ButtonReleased(bool hasOwner);

  // Focus look, driven by the dialog as keyboard focus moves; true when the picture changed.
  bool SetFocusLook();
  bool ClearFocusLook();

  // Space on the focused check box: ticks or unticks it with the focus look kept.
  // Answers whether it is ticked afterwards.
  bool ToggleTickByKeyboard();

  void SetEnabled(bool enabled) { enabled_ = enabled; }
  void SetFrame(int frame) { frame_ = frame; }

 private:
  bool HasHoverLook() const;
  bool IsCheckBox() const;

  int id_;
  DesignButtonStyle style_;
  DesignButtonImages images_;
  int current_;
  bool enabled_ = true;
  bool focusLook_ = false;
  int frame_ = kFirstBusyFrame;
};

// The busy animation's next frame: 1..33 advance, 34 wraps to 1; anything else answers 0,
// which means "stop the animation timer".
int NextBusyFrame(int frame);

// The picture of busy frame 1..34 (0 outside).
int BusyFramePicture(int frame);
