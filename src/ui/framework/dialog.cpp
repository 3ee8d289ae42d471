#include "ui/framework/dialog.h"

#include "ui/framework/control.h"

namespace framework {

namespace {

// Messages whose answer a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
  return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
         message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
         message == WM_QUERYDRAGICON;
}

}  // namespace

Dialog::~Dialog() {
  if (hwnd_) DestroyWindow(hwnd_);
}

INT_PTR Dialog::DoModal(HWND owner) {
  if (!CreateModeless(owner)) return -1;
  const bool ownerWasEnabled = owner && !EnableWindow(owner, FALSE);
  modalRunning_ = true;
  MSG msg;
  while (modalRunning_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {  // WM_QUIT: pass it on to whoever runs the outer loop
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    if (PreTranslateMessage(msg)) continue;
    if (IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (hwnd_) DestroyWindow(hwnd_);
  return modalResult_;
}

bool Dialog::CreateModeless(HWND owner) {
  return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                            &Dialog::StaticProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::EndDialog(INT_PTR result) {
  modalResult_ = result;
  modalRunning_ = false;
  // Wake the loop if the request came from outside a message it is dispatching.
  if (hwnd_) PostMessageW(hwnd_, WM_NULL, 0, 0);
}

bool Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_DRAWITEM) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item && ReflectToChild(item->hwndItem, kMsgReflectDrawItem, 0, lParam, result)) {
      result = TRUE;
      return true;
    }
    return false;
  }
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
    return ReflectToChild(reinterpret_cast<HWND>(lParam), kMsgReflectCtlColor, wParam, 0, result);
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(LOWORD(wParam));
    return true;
  }
  if (message == WM_CLOSE) {
    EndDialog(IDCANCEL);
    return true;
  }
  return false;
}

INT_PTR CALLBACK Dialog::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    return self->OnInitDialog();
  }
  self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    return FALSE;
  }
  LRESULT result = 0;
  if (!self->HandleMessage(message, wParam, lParam, result)) return FALSE;
  if (AnswersDirectly(message)) return static_cast<INT_PTR>(result);
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace framework
