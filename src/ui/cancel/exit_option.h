// The cancel confirmation: "Installation not completed. Are you sure ...?" with the two
// choices Resume and Cancel drawn as plain coloured texts. Run it with DoModal(owner) and
// read Result(): 1 when the person chose to cancel, 0 for resume and for every other way
// out (Escape, closing the window).
#pragma once

#include <windows.h>

#include "base/unique_handle.h"
#include "ui/cancel/exit_choice_layout.h"
#include "ui/framework/dialog.h"

class CExitOption : public framework::Dialog {
 public:
  static constexpr int kResume = 0;
  static constexpr int kCancel = 1;

  CExitOption();

  // kResume or kCancel; kResume until a choice is made.
  int Result() const { return result_; }

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool PreTranslateMessage(MSG& msg) override;

 private:
  void PlaceWindow();
  void PlaceTexts();
  void Choose(int result);
  // After a Tab: the choice whose proxy has the focus is highlighted, the other is not.
  void ShowKeyboardChoice();
  void FillClient(HDC dc) const;
  bool HandleKey(const MSG& msg);

  int result_ = kResume;
  ScopedFont questionFont_;
  ScopedFont choiceFont_;
  exit_choice::ChoiceRects choices_;
};
