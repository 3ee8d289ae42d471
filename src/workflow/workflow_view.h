// What the workflow shows of itself: the window implements it; the unattended form and
// the tests implement it without a window.
#pragma once

#include "workflow/stage.h"

struct ViewRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

class IWorkflowView {
 public:
  virtual ~IWorkflowView() = default;

  // Callable from any thread; each call takes effect in the order made.
  virtual void ShowStage(Stage stage) = 0;
  // The failed stage, saying why.
  virtual void ShowFailure(Failure failure) = 0;
  virtual void SetProgressPos(int position) = 0;
  // While the creep is on, the bar moves by itself towards the target, 2 a second.
  virtual void SetProgressTarget(int target) = 0;
  virtual void SetProgressCreep(bool on) = 0;
  // Where the view stands on the screen: a started program opens its window there.
  virtual ViewRect Placement() const = 0;
  // The run is over (the product or the new installer was started): the view ends.
  virtual void Close() = 0;
};
