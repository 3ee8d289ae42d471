#include "ui/framework/control.h"

#include <commctrl.h>

namespace framework {

namespace {
constexpr UINT_PTR kSubclassId = 1;
// Marks a reflected request as answered, so that a control that ignores it is told apart.
constexpr LRESULT kNotHandled = 0;
}  // namespace

Control::~Control() {
  Detach();
}

bool Control::Attach(HWND window) {
  if (!window || hwnd_) return false;
  if (!SetWindowSubclass(window, &Control::SubclassProc, kSubclassId,
                         reinterpret_cast<DWORD_PTR>(this)))
    return false;
  hwnd_ = window;
  return true;
}

bool Control::Create(const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle,
                     HWND parent, int id, const RECT& rect) {
  HWND window = CreateWindowExW(exStyle, className, text, style | WS_CHILD, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) return false;
  if (Attach(window)) return true;
  DestroyWindow(window);
  return false;
}

void Control::Detach() {
  if (!hwnd_) return;
  RemoveWindowSubclass(hwnd_, &Control::SubclassProc, kSubclassId);
  hwnd_ = nullptr;
}

bool Control::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT Control::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR selfData) {
  auto* self = reinterpret_cast<Control*>(selfData);
  if (message == WM_NCDESTROY) {
    // The window goes away before its object: unhook so the object never sees a dead HWND.
    RemoveWindowSubclass(hwnd, &Control::SubclassProc, kSubclassId);
    self->hwnd_ = nullptr;
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  LRESULT result = 0;
  if (self->HandleMessage(message, wParam, lParam, result)) return result;
  if (message == kMsgReflectDrawItem || message == kMsgReflectCtlColor) return kNotHandled;
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

bool ReflectToChild(HWND child, UINT reflected, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (!child) return false;
  result = SendMessageW(child, reflected, wParam, lParam);
  return result != kNotHandled;
}

}  // namespace framework
