// Private window messages, all in one place.
#pragma once

#include <windows.h>

enum AppMessage : UINT {
  kAppMessageFirst = WM_APP + 1,
  // Worker threads reach the main window through these (sent, so calls keep their order).
  kMsgSetStage = kAppMessageFirst,  // wParam: stage
  kMsgSetProgressPos,               // wParam: position 0..100
  kMsgSetProgressTarget,            // wParam: target
  kMsgSetErrorText,                 // wParam: string id
  kAppMessageLast = kMsgSetErrorText,
};
