// The main window's progress bar: the template's msctls_progress32 (control 1000), attached
// by the dialog, keeps its position and range; this class paints it as a rounded track with
// the done part in the bar colour.
#pragma once

#include <windows.h>

#include "ui/framework/control.h"

class CDesignProgress : public framework::Control {
 public:
  void SetColors(COLORREF track, COLORREF bar);

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void Paint(HDC dc);

  COLORREF track_ = RGB(232, 231, 231);
  COLORREF bar_ = RGB(48, 123, 215);
};
