// The install-folder field: a read-only single-line edit with a thin flat frame, its one
// line vertically centred in the 36-pixel field, in the interface font.
#pragma once

#include <windows.h>

#include <string>

#include "base/unique_handle.h"
#include "ui/framework/control.h"

class CDLEdit : public framework::Control {
 public:
  CDLEdit();

  // A visible "EDIT" child with a client edge, scrolling sideways, read-only, at most
  // 512 characters.
  bool Create(HWND parent, const RECT& rect, int id);

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void PaintFrame();
  // Fills the strips that the centring leaves between the client edge and the client.
  void PaintCentringStrips();
  // Gives the control the interface font once per face name, when a line of it fits.
  void UpdateFont();

  ScopedBrush background_;
  ScopedFont font_;
  std::wstring fontFace_;
  bool fontChecked_ = false;
};
