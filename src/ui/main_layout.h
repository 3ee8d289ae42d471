// Geometry of the main window's text lines and folder row, from measured text sizes.
// Platform-free; all values are client pixels of the 400 x 700 window.
#pragma once

struct ControlRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const ControlRect&) const = default;
};

inline constexpr int kWrapWidth = 300;        // longer texts wrap into a taller control
inline constexpr int kStatusLineBottom = 532;  // the status line grows upwards from here
inline constexpr int kOsTextTop = 360;         // the unsupported-OS text grows downwards

// The status line: centred, its bottom edge at 532 however many lines it takes. A text wider
// than 300 px becomes 300 px wide and (width / 300 + 2) lines high.
ControlRect StatusLineRect(int textWidth, int lineHeight, int clientWidth);
// The unsupported-OS text: the same wrapping, its top edge at 360.
ControlRect OsTextRect(int textWidth, int lineHeight, int clientWidth);

// The folder row of the download stage: "Install to", the path field, Browse, centred as
// one group of label + 12 px + 213 px field overlap + 36 px button.
struct FolderRowLayout {
  ControlRect label, field, browse;
};
FolderRowLayout LayoutFolderRow(int labelWidth, int labelHeight, int clientWidth);

// The "Installing to <folder>" line: centred when narrower than the window, else 50 px in
// from both edges.
ControlRect InstallingToRect(int textWidth, int textHeight, int clientWidth);

// Fixed places (x, y, width, height).
inline constexpr ControlRect kProgressRect{50, 554, 300, 5};
inline constexpr ControlRect kBusyRect{160, 549, 80, 16};
inline constexpr ControlRect kCloseRect{368, 18, 12, 12};
inline constexpr ControlRect kMinimizeRect{327, 23, 15, 2};
inline constexpr ControlRect kContinueRect{28, 568, 164, 40};
inline constexpr ControlRect kCancelRect{208, 568, 164, 40};
inline constexpr ControlRect kOsOkRect{118, 568, 164, 40};
inline constexpr ControlRect kCheckBoxRect{40, 510, 16, 16};
inline constexpr ControlRect kLicenceLineRect{64, 510, 301, 57};
inline constexpr ControlRect kOsPictureRect{0, 0, 400, 420};
inline constexpr int kOsHeadingTop = 320;
inline constexpr int kIllustrationX = 106;
inline constexpr int kIllustrationY = 108;
