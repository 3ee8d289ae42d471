// The one owner-drawn button class of the main window: close, minimize, Continue, Cancel,
// Browse, the busy animation, the licence check box and the OK of the unsupported-system
// page. Its look follows DesignButtonState; this class translates messages and draws.
//
// The dialog reflects WM_DRAWITEM to it (framework::kMsgReflectDrawItem). Keyboard focus
// stays on zero-size proxy buttons of the dialog: the button draws its "focused case"
// while its proxy (SetFocusProxy) has the focus and the dialog has set its focus look.
#pragma once

#include <windows.h>

#include <string>

#include "ui/controls/design_button_state.h"
#include "ui/framework/control.h"
#include "ui/images/png_image.h"

class IDesignButtonOwner {
 public:
  // A release of the mouse button over button `id` (client point x, y) while it is
  // enabled; `ticked` is the licence check box's new state.
  virtual int OnDesignButtonClick(int x, int y, int id, bool ticked) = 0;

 protected:
  ~IDesignButtonOwner() = default;
};

class CDesignButton : public framework::Control {
 public:
  CDesignButton(int id, int normalImage, int hoverImage, int pressedImage, int focusImage,
                IDesignButtonOwner* owner);

  // A visible owner-drawn child "BUTTON" without tab stop, captioned `text`.
  bool Create(HWND parent, const RECT& rect, const std::wstring& text);

  void SetFocusLook();
  void ClearFocusLook();
  void SetEnabled(bool enabled);
  bool IsEnabled() const { return state_.IsEnabled(); }
  // Id of the dialog's proxy button whose keyboard focus makes the focused case.
  void SetFocusProxy(int proxyControlId) { focusProxyId_ = proxyControlId; }
  int Frame() const { return state_.Frame(); }
  // Sets the busy animation's frame (1..34) and invalidates the button.
  void SetFrame(int frame);
  int CurrentImage() const { return state_.CurrentImage(); }
  // Space on the focused licence check box; answers whether it is ticked now.
  bool ToggleTickByKeyboard();
  // Repaints at once (not at the next WM_PAINT).
  void Repaint();

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  bool ProxyHasFocus() const;
  bool InFocusedCase() const;
  void TrackMouseLeave();
  void Draw(const DRAWITEMSTRUCT& item);
  void FillDialogFocusSpot();
  void PaintTextStyle(HDC dc, const RECT& bounds);
  void PaintFolderStyle(HDC dc, const RECT& bounds);
  void DrawCaption(HDC dc, const RECT& bounds, COLORREF color, bool underlined);
  // Decodes picture `pictureId` afresh and draws it stretched over `rect`.
  void DrawPictureOver(HDC dc, int pictureId, const RECT& rect);

  DesignButtonState state_;
  IDesignButtonOwner* owner_;
  int focusProxyId_ = 0;
  bool trackingLeave_ = false;
  // Held for the button's life, so GDI+ stays up between paints; pictures are decoded
  // again at every paint.
  CPngImage picture_;
};
