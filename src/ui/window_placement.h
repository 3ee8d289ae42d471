// Where the main window opens. Platform-free.
#pragma once

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct WindowOrigin {
  int left = 0, top = 0;
};

inline constexpr int kMainWindowWidth = 400;
inline constexpr int kMainWindowHeight = 700;
inline constexpr int kMainWindowMargin = 24;

// A position of 1 or more on an axis (handed over by a restarted installer) is kept;
// otherwise the window sits 24 pixels inside the work area's bottom-right corner.
WindowOrigin PlaceMainWindow(int initLeft, int initTop, const ScreenRect& workArea,
                             int windowWidth, int windowHeight);
