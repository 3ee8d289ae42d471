#include <windows.h>

#include "app/installer_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  CInstallerApp app(commandLine ? commandLine : L"");
  app.InitInstance();  // every worker it started has ended when it returns
  return app.ExitCode();
}
