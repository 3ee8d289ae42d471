#include "ui/licence/auto_line_static.h"

#include <windowsx.h>

#include "build_config.h"
#include "resource_ids.h"
#include "system/folder_set.h"
#include "ui/framework/gdi.h"
#include "ui/licence/link_opener.h"
#include "ui/texts.h"

namespace {

constexpr COLORREF kTextColor = RGB(74, 74, 74);
constexpr COLORREF kLinkColor = RGB(0, 120, 214);
constexpr COLORREF kFocusFill = RGB(179, 215, 243);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kFontTenths = 90;
constexpr UINT kDrawFlags = DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;

RECT ToRect(const licence::Box& box) { return RECT{box.left, box.top, box.right, box.bottom}; }

}  // namespace

bool CAutoLineStatic::Create(HWND parent, const RECT& rect) {
  // The sentence keeps its placeholders: they mark where the links go.
  sentence_ = LoadText(IDS_LICENSE_SENTENCE);
  const auto urls = licence::LicenceUrls(LUMETRA_WEB_HOST);
  const unsigned linkTexts[licence::kLinkCount] = {IDS_LICENSE_TERMS, IDS_LICENSE_PRIVACY,
                                                   IDS_LICENSE_EULA};
  for (int link = 0; link < licence::kLinkCount; ++link)
    links_[link] = licence::Link{LoadDisplayText(linkTexts[link]), urls[link]};
  const std::wstring face = GetUiFontName();
  font_ = framework::CreatePointFont(kFontTenths, face);
  linkFont_ = framework::CreatePointFont(kFontTenths, face, true);
  return framework::Control::Create(L"STATIC", L"", SS_OWNERDRAW | SS_NOTIFY | WS_VISIBLE, 0,
                                    parent, IDC_LICENSE_LINE, rect);
}

void CAutoLineStatic::LayOut(HDC dc) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const auto measure = [&](const std::wstring& text, bool link) {
    framework::ScopedSelectObject select(dc, link ? linkFont_.get() : font_.get());
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return licence::TextExtent{size.cx, size.cy};
  };
  layout_ = licence::LayOutLicenceLine(sentence_, links_, client.right - client.left, measure);
}

void CAutoLineStatic::DrawRun(HDC dc, const licence::Run& run) const {
  // Each piece is centred in a box exactly as wide as its text.
  if (run.whole) {
    RECT box = ToRect(run.box);
    DrawTextW(dc, run.text.c_str(), static_cast<int>(run.text.size()), &box, kDrawFlags);
    return;
  }
  for (size_t i = 0; i < run.words.size() && i < run.wordBoxes.size(); ++i) {
    RECT box = ToRect(run.wordBoxes[i]);
    DrawTextW(dc, run.words[i].c_str(), static_cast<int>(run.words[i].size()), &box, kDrawFlags);
  }
}

void CAutoLineStatic::Draw(HDC dc) {
  LayOut(dc);
  framework::ScopedBkMode transparent(dc, TRANSPARENT);
  for (const licence::Run& run : layout_.runs) {
    const bool isLink = run.link >= 0;
    framework::ScopedSelectObject select(dc, isLink ? linkFont_.get() : font_.get());
    framework::ScopedTextColor color(dc, isLink ? kLinkColor : kTextColor);
    DrawRun(dc, run);
  }
}

void CAutoLineStatic::FrameLink(HDC dc, int link, COLORREF pen, COLORREF fill) const {
  ScopedPen framePen(CreatePen(PS_SOLID, 1, pen));
  ScopedBrush fillBrush(CreateSolidBrush(fill));
  framework::ScopedSelectObject selectPen(dc, framePen.get());
  framework::ScopedSelectObject selectBrush(dc, fillBrush.get());
  for (const licence::Box& box : licence::LinkFocusBoxes(layout_, link))
    Rectangle(dc, box.left, box.top, box.right, box.bottom);
}

int CAutoLineStatic::FocusedLink() const {
  const HWND focus = GetFocus();
  const HWND parent = GetParent(hwnd());
  if (!focus || !parent) return -1;
  for (int link = 0; link < licence::kLinkCount; ++link)
    if (GetDlgItem(parent, IDC_PROXY_LINK0 + link) == focus) return link;
  return -1;
}

void CAutoLineStatic::ShowLinkFocus() {
  if (!hwnd()) return;
  const int link = FocusedLink();
  if (link >= 0) {
    framework::ScopedWindowDC dc(hwnd());
    LayOut(dc.get());
    FrameLink(dc.get(), link, kLinkColor, kFocusFill);
    const int run = layout_.linkRun[link];
    if (run >= 0) {
      framework::ScopedBkMode transparent(dc.get(), TRANSPARENT);
      framework::ScopedSelectObject select(dc.get(), linkFont_.get());
      framework::ScopedTextColor color(dc.get(), kLinkColor);
      DrawRun(dc.get(), layout_.runs[static_cast<size_t>(run)]);
    }
  }
  ClearLinkFocus();
}

void CAutoLineStatic::ClearLinkFocus() {
  if (!hwnd()) return;
  const int focused = FocusedLink();
  {
    framework::ScopedWindowDC dc(hwnd());
    LayOut(dc.get());
    for (int link = 0; link < licence::kLinkCount; ++link)
      if (link != focused) FrameLink(dc.get(), link, kWhite, kWhite);
  }
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void CAutoLineStatic::OpenFocusedLink() {
  const int link = hwnd() ? FocusedLink() : -1;
  if (link >= 0) OpenLink(links_[link].url);
}

bool CAutoLineStatic::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case framework::kMsgReflectDrawItem:
      Draw(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hDC);
      result = TRUE;
      return true;
    case WM_LBUTTONDOWN:
      result = 0;
      return true;
    case WM_LBUTTONUP: {
      if (layout_.runs.empty()) {
        framework::ScopedWindowDC dc(hwnd());
        LayOut(dc.get());
      }
      const std::wstring url =
          licence::LinkUrlAt(layout_, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      if (!url.empty()) OpenLink(url);
      return false;  // the static's own handling follows
    }
    default:
      return framework::Control::HandleMessage(message, wParam, lParam, result);
  }
}
