#include "workflow/connection.h"

#include <windows.h>
#include <wininet.h>

#include "system/install_log.h"
#include "workflow/run_context.h"

namespace {

constexpr DWORD kConnectionPollMs = 500;

}  // namespace

bool IsMachineConnected() {
  DWORD flags = 0;
  return InternetGetConnectedState(&flags, 0) != FALSE;
}

bool WaitForConnection(CancelState& cancel, bool logRetries) {
  const ULONGLONG started = GetTickCount64();
  for (int retry = 0; !IsMachineConnected(); ++retry) {
    if (cancel.IsCancelled()) return false;
    if (GetTickCount64() - started >= cancel.waitLimitMs()) {
      WriteInstallLog(L"Still offline after %lu s, giving up",
                      static_cast<unsigned long>(cancel.waitLimitMs() / 1000));
      cancel.GiveUpWaiting();
      return false;
    }
    Sleep(kConnectionPollMs);
    if (logRetries) WriteInstallLog(L"Retry: %d", retry);
  }
  return true;
}
