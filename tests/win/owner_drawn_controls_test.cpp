// The owner-drawn controls inside the main window's real template (its focus proxies and
// progress bar), driven by window messages and drawn through the dialog's reflection into
// memory canvases. The pictures are not needed: what is checked is drawn without them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource_ids.h"
#include "system/folder_set.h"
#include "ui/controls/design_button.h"
#include "ui/controls/design_progress.h"
#include "ui/controls/dl_edit.h"
#include "ui/framework/dialog.h"
#include "ui/framework/gdi.h"
#include "ui/images/memory_dc.h"

#include "win/test_canvas.h"

namespace {

constexpr COLORREF kFocusBlue = RGB(0, 120, 214);
constexpr COLORREF kFrameGrey = RGB(216, 216, 216);

class HostDialog : public framework::Dialog {
 public:
  HostDialog() : Dialog(IDD_LUMETRASETUP_DIALOG) {}
  std::vector<int> buttonClicks;  // BN_CLICKED notifications, by control id

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
      buttonClicks.push_back(LOWORD(wParam));
      return true;
    }
    return Dialog::HandleMessage(message, wParam, lParam, result);
  }
};

struct RecordingOwner : IDesignButtonOwner {
  struct Call {
    int x, y, id;
    bool ticked;
  };
  int OnDesignButtonClick(int x, int y, int id, bool ticked) override {
    calls.push_back({x, y, id, ticked});
    return 0;
  }
  std::vector<Call> calls;
};

// A canvas of a control's size that also counts the bluish pixels drawn on it.
struct Canvas : TestCanvas {
  using TestCanvas::TestCanvas;
  int CountBluish(int width, int height) const {
    int count = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const COLORREF c = At(x, y);
        if (GetBValue(c) > 100 && GetBValue(c) > GetRValue(c) + 60) ++count;
      }
    return count;
  }
};

class OwnerDrawnControls : public ::testing::Test {
 protected:
  void SetUp() override {
    savedFont_ = GetUiFontName();
    SetUiFontName(L"Tahoma");
    // Kept hidden: focus works without showing it, and under Wine a shown window costs
    // about 2 s to take down when no window manager runs.
    ASSERT_TRUE(dialog_.CreateModeless(nullptr));
  }
  void TearDown() override { SetUiFontName(savedFont_); }

  // Has the dialog draw `item` into `canvas` the way the button's own painting does.
  LRESULT Render(HWND item, Canvas& canvas) {
    RECT client{};
    GetClientRect(item, &client);
    DRAWITEMSTRUCT draw{ODT_BUTTON, static_cast<UINT>(GetDlgCtrlID(item)), 0, ODA_DRAWENTIRE, 0,
                        item, canvas.dc.get(), client, 0};
    return SendMessageW(dialog_.hwnd(), WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
  }
  void FocusProxy(int proxyId) {
    HWND proxy = GetDlgItem(dialog_.hwnd(), proxyId);
    SetFocus(proxy);
    ASSERT_EQ(GetFocus(), proxy);
  }

  HostDialog dialog_;
  RecordingOwner owner_;
  std::wstring savedFont_;
};

void Click(HWND button, UINT downMessage, int x, int y) {
  SendMessageW(button, downMessage, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

}  // namespace

TEST_F(OwnerDrawnControls, CheckBoxClicksReachTheOwnerAndTheDialog) {
  CDesignButton box(IDC_CHECKBOX, IDB_CHECK_UNTICKED, IDB_CHECK_UNTICKED, IDB_CHECK_TICKED,
                    IDB_CHECK_UNTICKED_FOCUS, &owner_);
  ASSERT_TRUE(box.Create(dialog_.hwnd(), RECT{20, 400, 36, 416}, L""));
  EXPECT_TRUE(GetWindowLongW(box.hwnd(), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongW(box.hwnd(), GWL_STYLE) & WS_TABSTOP);

  SendMessageW(box.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  EXPECT_EQ(box.CurrentImage(), IDB_CHECK_TICKED);
  SendMessageW(box.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
  // A quick second click comes as a double click and unticks all the same.
  Click(box.hwnd(), WM_LBUTTONDBLCLK, 7, 8);
  ASSERT_EQ(owner_.calls.size(), 2u);
  EXPECT_EQ(owner_.calls[0].x, 5);
  EXPECT_EQ(owner_.calls[0].y, 6);
  EXPECT_EQ(owner_.calls[0].id, IDC_CHECKBOX);
  EXPECT_TRUE(owner_.calls[0].ticked);
  EXPECT_FALSE(owner_.calls[1].ticked);
  EXPECT_EQ(box.CurrentImage(), IDB_CHECK_UNTICKED);
  // The button's own processing still runs: the dialog hears both clicks.
  EXPECT_EQ(dialog_.buttonClicks, (std::vector<int>{IDC_CHECKBOX, IDC_CHECKBOX}));
}

TEST_F(OwnerDrawnControls, DisabledContinueReportsNothingAndCloseHoversUntilLeft) {
  CDesignButton next(IDC_CONTINUE, IDC_CONTINUE, IDC_CONTINUE, IDC_CONTINUE,
                     IDB_CANCEL_FACE_FOCUS, &owner_);
  ASSERT_TRUE(next.Create(dialog_.hwnd(), RECT{50, 600, 350, 640}, L"Continue"));
  next.SetEnabled(false);
  EXPECT_FALSE(next.IsEnabled());
  Click(next.hwnd(), WM_LBUTTONDOWN, 10, 10);
  EXPECT_TRUE(owner_.calls.empty());
  next.SetEnabled(true);
  Click(next.hwnd(), WM_LBUTTONDOWN, 10, 10);
  ASSERT_EQ(owner_.calls.size(), 1u);
  EXPECT_EQ(owner_.calls[0].id, IDC_CONTINUE);

  CDesignButton close(IDC_CLOSE, IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, IDB_CLOSE_PRESSED, 0, &owner_);
  ASSERT_TRUE(close.Create(dialog_.hwnd(), RECT{366, 16, 382, 32}, L""));
  SendMessageW(close.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(close.CurrentImage(), IDB_CLOSE_HOVER);
  SendMessageW(close.hwnd(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(close.CurrentImage(), IDB_CLOSE_NORMAL);
}

TEST_F(OwnerDrawnControls, BrowseFrameTurnsBlueWhileItsProxyHasTheFocus) {
  CDesignButton browse(IDC_BROWSE, IDC_BROWSE, IDC_BROWSE, IDC_BROWSE, IDB_UNUSED_228, &owner_);
  ASSERT_TRUE(browse.Create(dialog_.hwnd(), RECT{340, 420, 380, 460}, L""));
  browse.SetFocusProxy(IDC_PROXY_BROWSE);
  FocusProxy(IDC_FOCUS_SINK);

  Canvas plain(40, 40, RGB(255, 0, 0));
  EXPECT_EQ(Render(browse.hwnd(), plain), TRUE);
  EXPECT_EQ(plain.At(0, 0), kFrameGrey);
  EXPECT_EQ(plain.At(35, 20), kFrameGrey);
  EXPECT_EQ(plain.At(39, 39), kFrameGrey);
  EXPECT_EQ(plain.At(37, 20), RGB(255, 255, 255));  // filled: nothing of the canvas shows

  FocusProxy(IDC_PROXY_BROWSE);
  Canvas focused(40, 40, RGB(255, 0, 0));
  Render(browse.hwnd(), focused);
  EXPECT_EQ(focused.At(0, 0), kFocusBlue);
  EXPECT_EQ(focused.At(35, 20), kFocusBlue);
  EXPECT_EQ(focused.At(20, 35), kFocusBlue);
  EXPECT_EQ(focused.At(39, 39), kFrameGrey);  // the outer frame stays grey
}

TEST_F(OwnerDrawnControls, CancelCaptionIsUnderlinedOnlyInTheFocusedCase) {
  CDesignButton cancel(IDC_CANCEL, IDC_CANCEL, IDC_CANCEL, IDC_CANCEL, IDB_CANCEL_FACE_FOCUS,
                       &owner_);
  ASSERT_TRUE(cancel.Create(dialog_.hwnd(), RECT{50, 650, 170, 686}, L"Cancel"));
  cancel.SetFocusProxy(IDC_PROXY_CANCEL);
  auto bluePixels = [&] {
    Canvas canvas(120, 36, RGB(255, 255, 255));
    Render(cancel.hwnd(), canvas);
    return canvas.CountBluish(120, 36);
  };
  const int plain = bluePixels();
  EXPECT_GT(plain, 20);  // the caption, in the focus blue
  FocusProxy(IDC_PROXY_CANCEL);
  EXPECT_EQ(bluePixels(), plain);  // proxy focus without the focus look
  cancel.SetFocusLook();
  const int underlined = bluePixels();
  EXPECT_GT(underlined, plain + 10);
  cancel.SetEnabled(false);
  EXPECT_EQ(bluePixels(), plain);
  cancel.SetEnabled(true);
  FocusProxy(IDC_FOCUS_SINK);
  EXPECT_EQ(bluePixels(), plain);
}

TEST_F(OwnerDrawnControls, OnlyTheBusyButtonErasesItsBackground) {
  CDesignButton busy(IDC_BUSY, IDC_BUSY, IDC_BUSY, IDC_BUSY, 0, &owner_);
  CDesignButton close(IDC_CLOSE, IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, IDB_CLOSE_PRESSED, 0, &owner_);
  ASSERT_TRUE(busy.Create(dialog_.hwnd(), RECT{160, 500, 240, 516}, L""));
  ASSERT_TRUE(close.Create(dialog_.hwnd(), RECT{366, 16, 382, 32}, L""));
  Canvas busyCanvas(80, 16, RGB(255, 0, 0));
  Canvas closeCanvas(16, 16, RGB(255, 0, 0));
  EXPECT_EQ(SendMessageW(busy.hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(busyCanvas.dc.get()), 0), 1);
  EXPECT_EQ(SendMessageW(close.hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(closeCanvas.dc.get()), 0), 1);
  EXPECT_EQ(busyCanvas.At(40, 8), RGB(255, 255, 255));
  EXPECT_EQ(closeCanvas.At(8, 8), RGB(255, 0, 0));
}

TEST_F(OwnerDrawnControls, ProgressPaintsTheDoneShareInTheBarColour) {
  constexpr COLORREF kTrack = RGB(232, 231, 231);
  constexpr COLORREF kBar = RGB(48, 123, 215);
  CDesignProgress progress;
  ASSERT_TRUE(progress.Attach(GetDlgItem(dialog_.hwnd(), IDC_PROGRESS)));
  progress.SetColors(kTrack, kBar);
  SetWindowPos(progress.hwnd(), nullptr, 0, 0, 300, 8, SWP_NOMOVE | SWP_NOZORDER);
  SendMessageW(progress.hwnd(), PBM_SETRANGE32, 0, 100);
  auto print = [&](int position, Canvas& canvas) {
    SendMessageW(progress.hwnd(), PBM_SETPOS, position, 0);
    SendMessageW(progress.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc.get()),
                 PRF_CLIENT);
  };
  Canvas half(300, 8, RGB(255, 0, 0));
  print(50, half);
  EXPECT_EQ(half.At(5, 4), kBar);
  EXPECT_EQ(half.At(145, 4), kBar);
  EXPECT_EQ(half.At(155, 4), kTrack);
  EXPECT_EQ(half.At(295, 4), kTrack);
  EXPECT_EQ(half.At(0, 0), RGB(255, 255, 255));  // a rounded corner shows white

  Canvas none(300, 8, RGB(255, 0, 0));
  print(0, none);
  EXPECT_EQ(none.At(5, 4), kTrack);
  EXPECT_EQ(none.At(150, 4), kTrack);
}

TEST_F(OwnerDrawnControls, FolderFieldCentresItsLineInTheInterfaceFont) {
  CDLEdit field;
  ASSERT_TRUE(field.Create(dialog_.hwnd(), RECT{20, 420, 330, 456}, IDC_INSTALL_FOLDER));
  EXPECT_TRUE(GetWindowLongW(field.hwnd(), GWL_STYLE) & ES_READONLY);
  EXPECT_TRUE(GetWindowLongW(field.hwnd(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(SendMessageW(field.hwnd(), EM_GETLIMITTEXT, 0, 0), 512);

  auto font = reinterpret_cast<HFONT>(SendMessageW(field.hwnd(), WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  LOGFONTW described{};
  GetObjectW(font, sizeof(described), &described);
  EXPECT_STREQ(described.lfFaceName, L"Tahoma");

  RECT window{}, client{};
  GetWindowRect(field.hwnd(), &window);
  GetClientRect(field.hwnd(), &client);
  MapWindowPoints(field.hwnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  const int lineHeight = framework::FontLineHeight(font);
  EXPECT_GE(client.bottom - client.top, lineHeight);
  EXPECT_LE(client.bottom - client.top, lineHeight + 1);
  EXPECT_EQ(client.top - window.top, window.bottom - client.bottom);

  // Repainting does not hand the font over again.
  Canvas canvas(310, 36, RGB(255, 0, 0));
  SendMessageW(field.hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc.get()), 0);
  SendMessageW(field.hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc.get()), 0);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(field.hwnd(), WM_GETFONT, 0, 0)), font);

  // The read-only field asks its dialog for colours, which the dialog hands back to it.
  const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
      dialog_.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.dc.get()),
      reinterpret_cast<LPARAM>(field.hwnd())));
  ASSERT_NE(brush, nullptr);
  LOGBRUSH fill{};
  GetObjectW(brush, sizeof(fill), &fill);
  EXPECT_EQ(fill.lbColor, RGB(255, 255, 255));
  EXPECT_EQ(GetTextColor(canvas.dc.get()), RGB(74, 74, 74));
  EXPECT_EQ(GetBkColor(canvas.dc.get()), RGB(255, 255, 255));
}
