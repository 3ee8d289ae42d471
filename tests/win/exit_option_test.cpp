// The cancel confirmation driven as a person would: keys posted into its own message
// loop, and real mouse clicks (SendInput) that have to fall through its static texts.
#include "ui/cancel/exit_option.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "resource_ids.h"
#include "system/folder_set.h"
#include "ui/texts.h"

namespace {

using Step = std::function<void(HWND dialog)>;
constexpr UINT_PTR kStepTimer = 0x321;
constexpr INT_PTR kStepsRanOut = 99;

// Runs its steps from inside the modal loop, each on a timer: a timer message comes only
// once the input and posted messages of the step before are dealt with. When the steps
// run out before the dialog ended itself, it ends with kStepsRanOut.
class ScriptedExitOption : public CExitOption {
 public:
  explicit ScriptedExitOption(std::vector<Step> steps) : steps_(std::move(steps)) {}

 protected:
  BOOL OnInitDialog() override {
    SetTimer(hwnd(), kStepTimer, 20, nullptr);
    return CExitOption::OnInitDialog();
  }
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (message != WM_TIMER || wParam != kStepTimer)
      return CExitOption::HandleMessage(message, wParam, lParam, result);
    if (next_ < steps_.size()) {
      steps_[next_++](hwnd());
    } else {
      EndDialog(kStepsRanOut);
    }
    return true;
  }

 private:
  std::vector<Step> steps_;
  size_t next_ = 0;
};

Step Key(WPARAM key, bool down) {
  return [=](HWND dialog) {
    PostMessageW(dialog, down ? WM_KEYDOWN : WM_KEYUP, key, down ? 1 : 0xC0000001);
  };
}
Step Press(WPARAM key) {
  return [=](HWND dialog) {
    Key(key, true)(dialog);
    Key(key, false)(dialog);
  };
}

RECT ChildRect(HWND dialog, int id) {
  RECT rect{};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// A real click `dx`, `dy` from the top-left corner of control `id`.
Step Click(int id, int dx, int dy) {
  return [=](HWND dialog) {
    const RECT rect = ChildRect(dialog, id);
    POINT point{rect.left + dx, rect.top + dy};
    ClientToScreen(dialog, &point);
    SetCursorPos(point.x, point.y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
  };
}

class ExitOptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUiFontName(LoadText(IDS_UI_FONT));
    owner_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 100, 400, 700, nullptr,
                             nullptr, nullptr, nullptr);
  }
  void TearDown() override { DestroyWindow(owner_); }

  // Result(), or -1 when the dialog did not end by itself.
  int Run(std::vector<Step> steps) {
    ScriptedExitOption dialog(std::move(steps));
    return dialog.DoModal(owner_) == kStepsRanOut ? -1 : dialog.Result();
  }

  HWND owner_ = nullptr;
};

}  // namespace

TEST_F(ExitOptionTest, KeysChooseOnTheirReleaseWhereTheFocusIs) {
  const int resume = CExitOption::kResume, cancel = CExitOption::kCancel;
  struct Case {
    const char* what;
    std::vector<Step> steps;
    int expected;
  } cases[] = {
      {"Tab, Space", {Press(VK_TAB), Press(VK_SPACE)}, resume},
      {"Tab, Tab, Enter", {Press(VK_TAB), Press(VK_TAB), Press(VK_RETURN)}, cancel},
      // The neutral button gave up its tab stop: the third Tab is back on resume.
      {"Tab x3, Enter", {Press(VK_TAB), Press(VK_TAB), Press(VK_TAB), Press(VK_RETURN)}, resume},
      // Enter before anything is chosen does nothing.
      {"Enter, Tab, Tab, Space",
       {Press(VK_RETURN), Press(VK_TAB), Press(VK_TAB), Press(VK_SPACE)},
       cancel},
      {"Escape pressed", {Key(VK_ESCAPE, true)}, resume},
      {"Tab, Tab, Escape released", {Press(VK_TAB), Press(VK_TAB), Key(VK_ESCAPE, false)}, resume},
      {"closed", {[](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }}, resume},
  };
  for (Case& c : cases) EXPECT_EQ(Run(std::move(c.steps)), c.expected) << c.what;
}

TEST_F(ExitOptionTest, AClickChoosesOnlyStrictlyInsideAChoiceText) {
  EXPECT_EQ(Run({Click(IDC_EXIT_CANCEL, 4, 4)}), CExitOption::kCancel);
  EXPECT_EQ(Run({Click(IDC_EXIT_RESUME, 4, 4)}), CExitOption::kResume);
  // On the cancel text's left edge nothing happens.
  EXPECT_EQ(Run({Click(IDC_EXIT_CANCEL, 0, 4)}), -1);
}
