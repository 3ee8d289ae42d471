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

bool WaitForConnection(const CancelState& cancel, bool logRetries) {
  for (int retry = 0; !IsMachineConnected(); ++retry) {
    if (cancel.IsCancelled()) return false;
    Sleep(kConnectionPollMs);
    if (logRetries) WriteInstallLog(L"Retry: %d", retry);
  }
  return true;
}
