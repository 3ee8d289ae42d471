// A child window subclassed by an object of ours: every message first reaches the
// object's HandleMessage, and what it leaves goes on to the window's own procedure.
// The dialog reflects owner-draw and control-colour requests to the control they are
// about (kMsgReflect* below), so each drawn control paints itself.
#pragma once

#include <windows.h>

namespace framework {

// Messages a dialog sends back to the child that its WM_DRAWITEM or WM_CTLCOLOR* is about.
enum ReflectedMessage : UINT {
  kMsgReflectDrawItem = WM_APP + 0x200,  // lParam: DRAWITEMSTRUCT*
  kMsgReflectCtlColor,                   // wParam: HDC; answer: HBRUSH (0 = default)
};

class Control {
 public:
  Control() = default;
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // Subclasses an existing window (a template control, or one just created).
  bool Attach(HWND window);
  // Creates a child window of `className` and subclasses it.
  bool Create(const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle,
              HWND parent, int id, const RECT& rect);
  // Removes the subclass; the window itself stays.
  void Detach();

  HWND hwnd() const { return hwnd_; }

 protected:
  // Return true when handled; `result` is then the message's answer.
  virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  HWND hwnd_ = nullptr;
};

// Sends a reflected request to the child it concerns; true when that child answered it.
bool ReflectToChild(HWND child, UINT reflected, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace framework
