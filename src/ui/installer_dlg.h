// The installer's main window: borderless, 400 x 700, in the bottom-right corner of the
// work area or where a restarted installer's predecessor stood.
#pragma once

#include "ui/framework/dialog.h"

class CInstallerDlg : public framework::Dialog {
 public:
  CInstallerDlg();

  int m_nInitLeft = 0;
  int m_nInitTop = 0;

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void PlaceWindow();
};
