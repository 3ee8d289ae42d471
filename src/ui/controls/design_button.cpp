#include "ui/controls/design_button.h"

#include "resource_ids.h"
#include "system/folder_set.h"
#include "ui/controls/offscreen_canvas.h"
#include "ui/framework/gdi.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kFocusFill = RGB(179, 215, 243);
constexpr COLORREF kFocusBlue = RGB(0, 120, 214);
constexpr COLORREF kFrameGrey = RGB(216, 216, 216);

// Spots of the dialog beside the minimize and close buttons that show their keyboard focus.
constexpr RECT kMinimizeFocusSpot{326, 16, 343, 32};
constexpr RECT kCloseFocusSpot{366, 16, 382, 32};

// The Browse button's inner square and where its folder symbol sits.
constexpr RECT kFolderSquare{0, 0, 36, 36};
constexpr POINT kFolderSymbolOrigin{5, 7};

constexpr int kCaptionTenthsOfPoint = 90;

int ClientX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int ClientY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

}  // namespace

CDesignButton::CDesignButton(int id, int normalImage, int hoverImage, int pressedImage,
                             int focusImage, IDesignButtonOwner* owner)
    : state_(id, DesignButtonImages{normalImage, hoverImage, pressedImage, focusImage}),
      owner_(owner) {}

bool CDesignButton::Create(HWND parent, const RECT& rect, const std::wstring& text) {
  return Control::Create(L"BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, parent,
                         state_.Id(), rect);
}

void CDesignButton::SetFocusLook() {
  if (state_.SetFocusLook()) Repaint();
}

void CDesignButton::ClearFocusLook() {
  if (state_.ClearFocusLook()) Repaint();
}

void CDesignButton::SetEnabled(bool enabled) {
  state_.SetEnabled(enabled);
  Repaint();
}

void CDesignButton::SetFrame(int frame) {
  state_.SetFrame(frame);
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

bool CDesignButton::ToggleTickByKeyboard() {
  const bool ticked = state_.ToggleTickByKeyboard();
  Repaint();
  return ticked;
}

void CDesignButton::Repaint() {
  if (hwnd()) RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

bool CDesignButton::ProxyHasFocus() const {
  if (focusProxyId_ == 0 || !hwnd()) return false;
  HWND proxy = GetDlgItem(GetParent(hwnd()), focusProxyId_);
  return proxy && GetFocus() == proxy;
}

bool CDesignButton::InFocusedCase() const {
  return state_.IsEnabled() && state_.HasFocusLook() && ProxyHasFocus();
}

void CDesignButton::TrackMouseLeave() {
  if (trackingLeave_) return;
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd(), 0};
  trackingLeave_ = TrackMouseEvent(&track) != FALSE;
}

bool CDesignButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case framework::kMsgReflectDrawItem:
      Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      result = TRUE;
      return true;
    case WM_ERASEBKGND:
      // Drawing covers every pixel; only the busy animation, which is invalidated without
      // a full redraw now and then, clears its background.
      if (state_.Style() == DesignButtonStyle::kAnimation) {
        RECT client{};
        GetClientRect(hwnd(), &client);
        framework::FillSolid(reinterpret_cast<HDC>(wParam), client, kWhite);
      }
      result = 1;
      return true;
    case WM_MOUSEMOVE:
      TrackMouseLeave();
      if (state_.MouseMoved((wParam & MK_LBUTTON) != 0)) Repaint();
      return false;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      if (state_.MouseLeft()) Repaint();
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // A quick second click arrives as a double click: it is a press like any other
      // (an owner-drawn button would otherwise only notify BN_DOUBLECLICKED).
      state_.ButtonPressed();
      result = DefaultProc(WM_LBUTTONDOWN, wParam, lParam);
      Repaint();
      return true;
    case WM_LBUTTONUP: {
      const DesignButtonClick click = state_.ButtonReleased(owner_ != nullptr);
      if (click.report)
        owner_->OnDesignButtonClick(ClientX(lParam), ClientY(lParam), state_.Id(), click.ticked);
      if (!hwnd()) return true;  // the owner closed the window
      result = DefaultProc(message, wParam, lParam);
      Repaint();
      return true;
    }
    default:
      return false;
  }
}

void CDesignButton::Draw(const DRAWITEMSTRUCT& item) {
  if (state_.Style() == DesignButtonStyle::kPicture) FillDialogFocusSpot();
  OffscreenCanvas canvas(item.hDC, item.rcItem);
  HDC dc = canvas.dc();
  if (!dc) return;
  const RECT bounds = canvas.Bounds();
  framework::FillSolid(dc, bounds, kWhite);
  switch (state_.Style()) {
    case DesignButtonStyle::kPicture:
      DrawPictureOver(dc, state_.CurrentImage(), bounds);
      break;
    case DesignButtonStyle::kTextFilled:
    case DesignButtonStyle::kTextOutlined:
      PaintTextStyle(dc, bounds);
      break;
    case DesignButtonStyle::kFolder:
      PaintFolderStyle(dc, bounds);
      break;
    case DesignButtonStyle::kAnimation:
      DrawPictureOver(dc, BusyFramePicture(state_.Frame()), bounds);
      break;
  }
}

void CDesignButton::FillDialogFocusSpot() {
  const int current = state_.CurrentImage();
  if (current != IDB_MINIMIZE_NORMAL && current != IDB_CLOSE_NORMAL) return;
  const RECT spot = current == IDB_MINIMIZE_NORMAL ? kMinimizeFocusSpot : kCloseFocusSpot;
  framework::ScopedWindowDC dialogDc(GetParent(hwnd()));
  if (dialogDc.get()) framework::FillSolid(dialogDc.get(), spot, ProxyHasFocus() ? kFocusFill : kWhite);
}

void CDesignButton::PaintTextStyle(HDC dc, const RECT& bounds) {
  const bool focused = InFocusedCase();
  if (state_.Style() == DesignButtonStyle::kTextFilled) {
    const int face = !state_.IsEnabled() ? IDB_FILLED_DISABLED
                     : focused           ? IDB_FILLED_FOCUS
                                         : IDB_FILLED_ENABLED;
    DrawPictureOver(dc, face, bounds);
    DrawCaption(dc, bounds, kWhite, focused);
  } else {
    DrawPictureOver(dc, IDB_CANCEL_OUTLINE, bounds);
    DrawPictureOver(dc, focused ? IDB_CANCEL_FACE_FOCUS : IDB_CANCEL_FACE, bounds);
    DrawCaption(dc, bounds, kFocusBlue, focused);
  }
}

void CDesignButton::PaintFolderStyle(HDC dc, const RECT& bounds) {
  ScopedBrush frameBrush(CreateSolidBrush(kFrameGrey));
  FrameRect(dc, &bounds, frameBrush.get());

  ScopedPen pen(CreatePen(PS_SOLID, 1, ProxyHasFocus() ? kFocusBlue : kFrameGrey));
  {
    framework::ScopedSelectObject selectPen(dc, pen.get());
    framework::ScopedSelectObject selectBrush(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, kFolderSquare.left, kFolderSquare.top, kFolderSquare.right,
              kFolderSquare.bottom);
  }
  if (LoadPngResource(picture_, IDB_BROWSE_FOLDER))
    DrawImage(picture_, dc, kFolderSymbolOrigin.x, kFolderSymbolOrigin.y, picture_.Width(),
              picture_.Height());
}

void CDesignButton::DrawCaption(HDC dc, const RECT& bounds, COLORREF color, bool underlined) {
  const int length = GetWindowTextLengthW(hwnd());
  if (length <= 0) return;
  std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
  caption.resize(static_cast<size_t>(GetWindowTextW(hwnd(), caption.data(), length + 1)));
  ScopedFont font = framework::CreatePointFont(kCaptionTenthsOfPoint, GetUiFontName(), underlined);
  framework::ScopedSelectObject selectFont(dc, font.get());
  framework::ScopedBkMode transparent(dc, TRANSPARENT);
  framework::ScopedTextColor textColor(dc, color);
  RECT area = bounds;
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &area,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void CDesignButton::DrawPictureOver(HDC dc, int pictureId, const RECT& rect) {
  if (pictureId == 0 || !LoadPngResource(picture_, pictureId)) return;
  DrawImage(picture_, dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}
