// The licence line of the main window (control IDC_LICENSE_LINE): the sentence of text
// 108 with its three links, wrapped over the control's width, drawn by the control itself.
// A click on a link opens its page; the dialog's zero-size proxies IDC_PROXY_LINK0..2
// carry the keyboard focus for the links, and the dialog asks this control to show it.
#pragma once

#include <windows.h>

#include <string>

#include "base/unique_handle.h"
#include "ui/framework/control.h"
#include "ui/licence/licence_layout.h"

class CAutoLineStatic : public framework::Control {
 public:
  CAutoLineStatic() = default;

  // Loads the texts and fonts and creates the owner-drawn static at `rect` of `parent`.
  bool Create(HWND parent, const RECT& rect);

  // Frames the link whose proxy has the keyboard focus, then clears the others.
  void ShowLinkFocus();
  // Clears the frame of every link whose proxy does not have the focus, and redraws.
  void ClearLinkFocus();
  // Opens the link whose proxy has the keyboard focus (IDC_PROXY_LINK0 is {0}, and so on,
  // wherever the translation puts it).
  void OpenFocusedLink();

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void LayOut(HDC dc);
  void Draw(HDC dc);
  void DrawRun(HDC dc, const licence::Run& run) const;
  void FrameLink(HDC dc, int link, COLORREF pen, COLORREF fill) const;
  // 0..2 for the link whose proxy has the focus, -1 when none has.
  int FocusedLink() const;

  std::wstring sentence_;
  licence::Links links_;
  ScopedFont font_;
  ScopedFont linkFont_;
  licence::Layout layout_;  // as last drawn; clicks are tested against it
};
