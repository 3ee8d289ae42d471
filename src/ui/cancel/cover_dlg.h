// The grey veil laid over the main window while the cancel confirmation asks its
// question: a translucent popup as large as the main window's client area.
#pragma once

#include <windows.h>

#include "base/unique_handle.h"
#include "ui/framework/dialog.h"

class CCoverDlg : public framework::Dialog {
 public:
  CCoverDlg();

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  ScopedBrush brush_;
};
