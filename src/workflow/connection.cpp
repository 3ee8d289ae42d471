#include "workflow/connection.h"

#include <windows.h>
#include <wininet.h>

bool IsMachineConnected() {
  DWORD flags = 0;
  return InternetGetConnectedState(&flags, 0) != FALSE;
}

void WaitForConnection() {
  while (!IsMachineConnected()) Sleep(500);
}
