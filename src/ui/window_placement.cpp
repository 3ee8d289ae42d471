#include "ui/window_placement.h"

WindowOrigin PlaceMainWindow(int initLeft, int initTop, const ScreenRect& workArea,
                             int windowWidth, int windowHeight) {
  WindowOrigin origin{initLeft, initTop};
  if (origin.left < 1) origin.left = workArea.right - windowWidth - kMainWindowMargin;
  if (origin.top < 1) origin.top = workArea.bottom - windowHeight - kMainWindowMargin;
  return origin;
}
