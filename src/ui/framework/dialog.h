// A dialog window object that owns its HWND: created from a template, run modally with
// its own message loop (so the dialog sees keys before the dialog manager does) or
// modelessly. Messages reach one virtual HandleMessage.
#pragma once

#include <windows.h>

namespace framework {

class Dialog {
 public:
  explicit Dialog(UINT templateId) : templateId_(templateId) {}
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Creates the dialog, disables the owner while it runs, and returns the EndDialog result.
  INT_PTR DoModal(HWND owner = nullptr);
  bool CreateModeless(HWND owner);
  void EndDialog(INT_PTR result);

  HWND hwnd() const { return hwnd_; }

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  // Return true when the message was handled (the dialog procedure then answers TRUE,
  // with `result` as DWLP_MSGRESULT).
  virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // A chance to act on a message before the dialog manager; true swallows it.
  virtual bool PreTranslateMessage(MSG&) { return false; }

 private:
  static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  UINT templateId_;
  HWND hwnd_ = nullptr;
  bool modalRunning_ = false;
  INT_PTR modalResult_ = 0;
};

}  // namespace framework
