#include "ui/controls/dl_edit.h"

#include "system/folder_set.h"
#include "ui/controls/control_geometry.h"
#include "ui/framework/gdi.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kFrameGrey = RGB(216, 216, 216);
constexpr COLORREF kTextGrey = RGB(74, 74, 74);
constexpr int kMaxCharacters = 512;
constexpr int kFontTenthsOfPoint = 90;

SIZE WindowSize(HWND window) {
  RECT bounds{};
  GetWindowRect(window, &bounds);
  return SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
}

}  // namespace

CDLEdit::CDLEdit() : background_(CreateSolidBrush(kWhite)) {}

bool CDLEdit::Create(HWND parent, const RECT& rect, int id) {
  if (!Control::Create(L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                       parent, id, rect))
    return false;
  SendMessageW(hwnd(), EM_LIMITTEXT, kMaxCharacters, 0);
  SendMessageW(hwnd(), EM_SETREADONLY, TRUE, 0);
  UpdateFont();
  return true;
}

void CDLEdit::UpdateFont() {
  const std::wstring face = GetUiFontName();
  if (fontChecked_ && face == fontFace_) return;  // unchanged: no WM_SETFONT, no repaint loop
  fontChecked_ = true;
  fontFace_ = face;
  ScopedFont font = framework::CreatePointFont(kFontTenthsOfPoint, face);
  if (!font.valid() || framework::FontLineHeight(font.get()) >= WindowSize(hwnd()).cy) return;
  SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  font_ = std::move(font);  // the old font goes only after the control has let go of it
  // The centring depends on the font: have the client area calculated again.
  SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDLEdit::PaintFrame() {
  const SIZE size = WindowSize(hwnd());
  framework::ScopedWindowDC dc(hwnd(), true);
  if (!dc.get()) return;
  ScopedBrush frame(CreateSolidBrush(kFrameGrey));
  const RECT whole{0, 0, size.cx, size.cy};
  FrameRect(dc.get(), &whole, frame.get());
}

void CDLEdit::PaintCentringStrips() {
  RECT window{};
  GetWindowRect(hwnd(), &window);
  RECT client{};
  GetClientRect(hwnd(), &client);
  MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -window.left, -window.top);
  const int edge = GetSystemMetrics(SM_CYEDGE);
  const int height = window.bottom - window.top;
  framework::ScopedWindowDC dc(hwnd(), true);
  if (!dc.get()) return;
  if (client.top > edge)
    framework::FillSolid(dc.get(), RECT{client.left, edge, client.right, client.top}, kWhite);
  if (client.bottom < height - edge)
    framework::FillSolid(dc.get(), RECT{client.left, client.bottom, client.right, height - edge},
                         kWhite);
}

bool CDLEdit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_NCCALCSIZE: {
      result = DefaultProc(message, wParam, lParam);
      // With wParam TRUE the first rectangle of NCCALCSIZE_PARAMS is the client rectangle.
      auto* client = reinterpret_cast<RECT*>(lParam);
      HFONT font = font_.valid() ? font_.get()
                                 : reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
      const int lineHeight = framework::FontLineHeight(font);
      const VerticalSpan span = CentreLineVertically(client->top, client->bottom, lineHeight);
      client->top = span.top;
      client->bottom = span.bottom;
      return true;
    }
    case WM_NCPAINT:
      result = DefaultProc(message, wParam, lParam);
      PaintCentringStrips();
      PaintFrame();
      return true;
    case WM_ERASEBKGND:
      PaintFrame();
      UpdateFont();
      result = DefaultProc(message, wParam, lParam);
      return true;
    case WM_PAINT:
      PaintFrame();
      return false;  // the edit paints its text
    case framework::kMsgReflectCtlColor: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, kWhite);
      SetTextColor(dc, kTextGrey);
      result = reinterpret_cast<LRESULT>(background_.get());
      return true;
    }
    default:
      return false;
  }
}
