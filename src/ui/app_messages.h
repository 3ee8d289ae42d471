// Private window messages and timer ids of the main window, all in one place.
#pragma once

#include <windows.h>

enum AppMessage : UINT {
  kAppMessageFirst = WM_APP + 1,
  // Worker threads reach the main window through these (sent, so calls keep their order).
  kMsgSetStage = kAppMessageFirst,  // wParam: stage
  kMsgSetProgressPos,               // wParam: position 0..100
  kMsgSetProgressCreep,             // wParam: 1 starts the creep timer, 0 stops it
  kMsgEndFromWorker,                // the workflow is done: the window ends
  kAppMessageLast = kMsgEndFromWorker,
};

enum MainWindowTimer : UINT_PTR {
  kTimerBusyAnimation = 1,  // every 40 ms: next frame of the busy animation
  kTimerProgressCreep = 2,  // every second: the bar creeps towards the progress target
};
