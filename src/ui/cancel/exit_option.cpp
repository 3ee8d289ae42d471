#include "ui/cancel/exit_option.h"

#include <windowsx.h>

#include <string>

#include "resource_ids.h"
#include "system/folder_set.h"
#include "ui/framework/gdi.h"
#include "ui/texts.h"

namespace {

constexpr COLORREF kResumeColor = RGB(0, 120, 214);
constexpr COLORREF kCancelColor = RGB(155, 155, 155);
constexpr COLORREF kQuestionColor = RGB(74, 74, 74);
constexpr COLORREF kFrameColor = RGB(216, 216, 216);
constexpr COLORREF kHighlight = RGB(179, 215, 243);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kQuestionTenths = 105;
constexpr int kChoiceTenths = 90;

RECT ToRect(const exit_choice::Rect& rect) {
  return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

void MoveControl(HWND control, const RECT& rect) {
  SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left,
               rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CExitOption::CExitOption() : framework::Dialog(IDD_EXIT_OPTION) {}

BOOL CExitOption::OnInitDialog() {
  result_ = kResume;
  PlaceWindow();
  PlaceTexts();
  // Nothing looks chosen until the person presses Tab: the focus rests on a neutral button.
  SetFocus(GetDlgItem(hwnd(), IDC_EXIT_FOCUS_SINK));
  return FALSE;
}

void CExitOption::PlaceWindow() {
  RECT frame{0, 0, exit_choice::kClientWidth, exit_choice::kClientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT over{};
  const HWND owner = GetWindow(hwnd(), GW_OWNER);
  if (!owner || !GetWindowRect(owner, &over)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
  const int left = over.left + (over.right - over.left - width) / 2;
  const int top = over.top + (over.bottom - over.top - height) / 2;
  SetWindowPos(hwnd(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  // A rounded region leaves out its right and bottom edges: one pixel more keeps the
  // frame's right and bottom lines inside the window. The system owns the region once set.
  ScopedRegion rounded(CreateRoundRectRgn(0, 0, width + 1, height + 1, exit_choice::kCornerEllipse,
                                          exit_choice::kCornerEllipse));
  if (SetWindowRgn(hwnd(), rounded.get(), TRUE)) rounded.release();
}

void CExitOption::PlaceTexts() {
  const std::wstring face = GetUiFontName();
  questionFont_ = framework::CreatePointFont(kQuestionTenths, face);
  choiceFont_ = framework::CreatePointFont(kChoiceTenths, face);

  const HWND question = GetDlgItem(hwnd(), IDC_EXIT_QUESTION);
  SendMessageW(question, WM_SETFONT, reinterpret_cast<WPARAM>(questionFont_.get()), FALSE);
  SetWindowTextW(question, LoadDisplayText(IDS_CANCEL_QUESTION).c_str());
  MoveControl(question, RECT{exit_choice::kQuestionLeft, exit_choice::kQuestionTop,
                             exit_choice::kQuestionLeft + exit_choice::kQuestionWidth,
                             exit_choice::kQuestionTop + exit_choice::kQuestionHeight});

  const std::wstring resumeText = LoadDisplayText(IDS_RESUME);
  const std::wstring cancelText = LoadDisplayText(IDS_CANCEL);
  const SIZE resume = framework::MeasureText(choiceFont_.get(), resumeText);
  const SIZE cancel = framework::MeasureText(choiceFont_.get(), cancelText);
  choices_ = exit_choice::PlaceChoices(resume.cx, resume.cy, cancel.cx, cancel.cy);
  const struct {
    int text;
    int proxy;
    const std::wstring& caption;
    const exit_choice::Rect& rect;
  } choiceControls[] = {
      {IDC_EXIT_RESUME, IDC_EXIT_PROXY_RESUME, resumeText, choices_.resume},
      {IDC_EXIT_CANCEL, IDC_EXIT_PROXY_CANCEL, cancelText, choices_.cancel},
  };
  for (const auto& choice : choiceControls) {
    const HWND text = GetDlgItem(hwnd(), choice.text);
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(choiceFont_.get()), FALSE);
    SetWindowTextW(text, choice.caption.c_str());
    MoveControl(text, ToRect(choice.rect));
    // The proxy carries the keyboard focus and, for a screen reader, the choice's name.
    const HWND proxy = GetDlgItem(hwnd(), choice.proxy);
    SetWindowTextW(proxy, choice.caption.c_str());
    MoveControl(proxy, RECT{0, 0, 0, 0});
  }
  MoveControl(GetDlgItem(hwnd(), IDC_EXIT_FOCUS_SINK), RECT{0, 0, 0, 0});
}

void CExitOption::Choose(int result) {
  result_ = result;
  EndDialog(result);
}

void CExitOption::ShowKeyboardChoice() {
  // From now on Tab moves between the two choices only.
  const HWND sink = GetDlgItem(hwnd(), IDC_EXIT_FOCUS_SINK);
  SetWindowLongPtrW(sink, GWL_STYLE, GetWindowLongPtrW(sink, GWL_STYLE) & ~WS_TABSTOP);

  const HWND focus = GetFocus();
  const bool onResume = focus && focus == GetDlgItem(hwnd(), IDC_EXIT_PROXY_RESUME);
  const bool onCancel = focus && focus == GetDlgItem(hwnd(), IDC_EXIT_PROXY_CANCEL);
  {
    framework::ScopedWindowDC dc(hwnd());
    RECT resume = ToRect(choices_.resume);
    RECT cancel = ToRect(choices_.cancel);
    InflateRect(&resume, 1, 0);
    InflateRect(&cancel, 1, 0);
    framework::FillSolid(dc.get(), resume, onResume ? kHighlight : kWhite);
    framework::FillSolid(dc.get(), cancel, onCancel ? kHighlight : kWhite);
  }
  // The texts are transparent: setting them again draws them over the new background.
  for (const int id : {IDC_EXIT_RESUME, IDC_EXIT_CANCEL}) {
    const HWND text = GetDlgItem(hwnd(), id);
    wchar_t caption[256] = {};
    GetWindowTextW(text, caption, 256);
    SetWindowTextW(text, caption);
  }
}

void CExitOption::FillClient(HDC dc) const {
  RECT client{};
  GetClientRect(hwnd(), &client);
  ScopedRegion rounded(CreateRoundRectRgn(0, 0, client.right + 1, client.bottom + 1,
                                          exit_choice::kCornerEllipse,
                                          exit_choice::kCornerEllipse));
  ScopedBrush white(CreateSolidBrush(kWhite));
  FillRgn(dc, rounded.get(), white.get());
}

bool CExitOption::HandleKey(const MSG& msg) {
  const bool down = msg.message == WM_KEYDOWN;
  const bool up = msg.message == WM_KEYUP;
  if (!down && !up) return false;
  if (msg.hwnd != hwnd() && !IsChild(hwnd(), msg.hwnd)) return false;
  switch (msg.wParam) {
    case VK_RETURN:
    case VK_SPACE: {
      // Enter never reaches the dialog manager (no default button to press); both keys
      // choose on their release.
      if (down) return msg.wParam == VK_RETURN;
      const HWND focus = GetFocus();
      if (focus && focus == GetDlgItem(hwnd(), IDC_EXIT_PROXY_RESUME)) {
        Choose(kResume);
        return true;
      }
      if (focus && focus == GetDlgItem(hwnd(), IDC_EXIT_PROXY_CANCEL)) {
        Choose(kCancel);
        return true;
      }
      return false;
    }
    case VK_ESCAPE:
      if (up) Choose(kResume);
      return up;
    case VK_TAB:
      if (up) ShowKeyboardChoice();
      return false;
    default:
      return false;
  }
}

bool CExitOption::PreTranslateMessage(MSG& msg) { return HandleKey(msg); }

bool CExitOption::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_ERASEBKGND:
      FillClient(reinterpret_cast<HDC>(wParam));
      framework::PaintWindowFrame(hwnd(), kFrameColor);
      result = 1;
      return true;
    case WM_PAINT: {
      {
        framework::ScopedPaint paint(hwnd());
        FillClient(paint.dc());
      }
      // The window has no border of its own: the frame lies on the client's edge pixels,
      // which the fill above just painted over.
      framework::PaintWindowFrame(hwnd(), kFrameColor);
      return true;
    }
    case WM_CTLCOLORSTATIC: {
      const HDC dc = reinterpret_cast<HDC>(wParam);
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      SetTextColor(dc, id == IDC_EXIT_RESUME   ? kResumeColor
                       : id == IDC_EXIT_CANCEL ? kCancelColor
                                               : kQuestionColor);
      SetBkMode(dc, TRANSPARENT);
      result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      return true;
    }
    case WM_LBUTTONDOWN: {
      // The texts are statics without SS_NOTIFY: transparent to the mouse, so the click
      // on a choice arrives here.
      const exit_choice::Choice choice =
          exit_choice::ChoiceAt(choices_, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      if (choice == exit_choice::Choice::kNone) return false;
      Choose(choice == exit_choice::Choice::kCancel ? kCancel : kResume);
      return true;
    }
    case WM_COMMAND:
      // A proxy pressed some other way (a screen reader's default action) chooses too;
      // IDCANCEL (Escape pressed) and IDOK resume.
      if (HIWORD(wParam) != BN_CLICKED)
        return framework::Dialog::HandleMessage(message, wParam, lParam, result);
      if (LOWORD(wParam) == IDC_EXIT_PROXY_CANCEL) {
        Choose(kCancel);
        return true;
      }
      if (LOWORD(wParam) == IDC_EXIT_PROXY_RESUME || LOWORD(wParam) == IDOK ||
          LOWORD(wParam) == IDCANCEL) {
        Choose(kResume);
        return true;
      }
      return framework::Dialog::HandleMessage(message, wParam, lParam, result);
    case WM_CLOSE:
      Choose(kResume);
      return true;
    default:
      return framework::Dialog::HandleMessage(message, wParam, lParam, result);
  }
}
