#include "ui/installer_dlg.h"

#include <ctime>

#include "base/unique_handle.h"
#include "resource_ids.h"
#include "system/folder_set.h"
#include "ui/app_messages.h"
#include "ui/texts.h"
#include "ui/window_placement.h"
#include "workflow/start_parameters.h"

namespace {

// The text each stage shows until the full stage layout is drawn (the licence stage
// shows its sentence).
int StatusTextId(int stage, int errorTextId) {
  switch (stage) {
    case kStageChecking: return IDS_CHECKING_INTERNET;
    case kStageOffline: return IDS_NO_INTERNET;
    case kStageUpdatingInstaller: return IDS_UPDATING_INSTALLER;
    case kStagePreparing: return IDS_PREPARE_TO_INSTALL;
    case kStageReady: return IDS_LICENSE_SENTENCE;
    case kStageDownloading: return IDS_DOWNLOADING;
    case kStageInstalling: return IDS_INSTALLING;
    case kStageStartingProduct: return IDS_INSTALL_COMPLETE;
    case kStageFailed: return errorTextId;
    case kStageOsUnsupported: return IDS_OS_UNSUPPORTED;
    default: return 0;
  }
}

}  // namespace

CInstallerDlg::CInstallerDlg() : framework::Dialog(IDD_LUMETRASETUP_DIALOG) {}

BOOL CInstallerDlg::OnInitDialog() {
  m_uiThreadId = GetCurrentThreadId();
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  m_strStartTime = FormatStartTime(local);
  m_strInstallFolder = GetDefaultInstallFolder();

  SetWindowTextW(hwnd(), LoadDisplayText(IDS_CAPTION).c_str());
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  PlaceWindow();
  ShowWindow(hwnd(), SW_SHOW);

  SetStage(kStageChecking);
  HANDLE thread = CreateThread(nullptr, 0, MainFlowThread, static_cast<IInstallerHost*>(this), 0,
                               nullptr);
  if (thread) CloseHandle(thread);  // never joined: the process ends with the window
  return TRUE;
}

void CInstallerDlg::PlaceWindow() {
  RECT frame{0, 0, kMainWindowWidth, kMainWindowHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(hwnd(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(hwnd(), GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const WindowOrigin origin = PlaceMainWindow(
      m_nInitLeft, m_nInitTop, ScreenRect{work.left, work.top, work.right, work.bottom}, width,
      height);
  m_nInitLeft = origin.left;
  m_nInitTop = origin.top;
  SetWindowPos(hwnd(), nullptr, origin.left, origin.top, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void CInstallerDlg::OnWindowThread(UINT message, WPARAM wParam) {
  if (!hwnd()) return;
  if (GetCurrentThreadId() == m_uiThreadId) {
    LRESULT ignored = 0;
    HandleMessage(message, wParam, 0, ignored);
  } else {
    SendMessageW(hwnd(), message, wParam, 0);
  }
}

void CInstallerDlg::SetStage(int stage) { OnWindowThread(kMsgSetStage, static_cast<WPARAM>(stage)); }
void CInstallerDlg::SetProgressPos(int position) {
  OnWindowThread(kMsgSetProgressPos, static_cast<WPARAM>(position));
}
void CInstallerDlg::SetProgressTarget(int target) {
  OnWindowThread(kMsgSetProgressTarget, static_cast<WPARAM>(target));
}
void CInstallerDlg::SetErrorTextId(int textId) {
  OnWindowThread(kMsgSetErrorText, static_cast<WPARAM>(textId));
}
void CInstallerDlg::Close() {
  if (hwnd()) SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

HostWindowRect CInstallerDlg::WindowRect() const {
  RECT rect{};
  if (hwnd()) GetWindowRect(hwnd(), &rect);
  return HostWindowRect{rect.left, rect.top, rect.right, rect.bottom};
}

void CInstallerDlg::Paint(HDC dc) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  ScopedFont font(CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                              DEFAULT_PITCH, GetUiFontName().c_str()));
  HGDIOBJ oldFont = SelectObject(dc, font.get());
  const int textId = StatusTextId(m_nStage, m_nErrorTextId);
  std::wstring text = textId ? LoadDisplayText(static_cast<unsigned>(textId)) : std::wstring();
  if (m_nStage == kStageDownloading || m_nStage == kStageUpdatingInstaller ||
      m_nStage == kStageInstalling)
    text += L"\n" + std::to_wstring(m_nProgressPos) + L" %";
  RECT status{24, 460, client.right - 24, 640};
  DrawTextW(dc, text.c_str(), -1, &status, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  const std::wstring stageLabel = L"stage " + std::to_wstring(m_nStage);
  SetTextColor(dc, RGB(160, 160, 160));
  RECT label{24, client.bottom - 40, client.right - 24, client.bottom - 16};
  DrawTextW(dc, stageLabel.c_str(), -1, &label, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, oldFont);
}

bool CInstallerDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case kMsgSetStage:
      m_nStage = static_cast<int>(wParam);
      InvalidateRect(hwnd(), nullptr, TRUE);
      return true;
    case kMsgSetProgressPos:
      m_nProgressPos = static_cast<int>(wParam);
      InvalidateRect(hwnd(), nullptr, TRUE);
      return true;
    case kMsgSetProgressTarget:
      m_nProgressTarget = static_cast<int>(wParam);
      return true;
    case kMsgSetErrorText:
      m_nErrorTextId = static_cast<int>(wParam);
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(hwnd(), &paint);
      Paint(dc);
      EndPaint(hwnd(), &paint);
      return true;
    }
    default:
      return framework::Dialog::HandleMessage(message, wParam, lParam, result);
  }
}
