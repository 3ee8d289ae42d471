#include <windows.h>

#include "app/installer_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  CInstallerApp app(commandLine ? commandLine : L"");
  app.InitInstance();
  // Ends the workers still running before anything they use is torn down (a return
  // would run the static destructors first).
  ExitProcess(0);
}
