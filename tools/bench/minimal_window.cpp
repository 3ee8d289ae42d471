// The reference for the start-up benchmark: the least a mingw program does to show a
// 400 x 700 popup at the installer's place and paint a patch where the installer's
// illustration shows its sun.
#include <windows.h>

namespace {

constexpr COLORREF kSunYellow = RGB(255, 212, 92);

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HBRUSH sun = CreateSolidBrush(kSunYellow);
    RECT patch{194, 227, 207, 240};
    FillRect(dc, &patch, sun);
    DeleteObject(sun);
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"MinimalWindow";
  RegisterClassW(&windowClass);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  CreateWindowExW(WS_EX_APPWINDOW, L"MinimalWindow", L"Minimal", WS_POPUP | WS_VISIBLE,
                  work.right - 400 - 24, work.bottom - 700 - 24, 400, 700, nullptr, nullptr,
                  instance, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
