// The process entry: start-up checks, the self-update command lines, the single-instance
// guard, and the main window.
#pragma once

#include <windows.h>

#include <string>

#include "base/unique_handle.h"

class CInstallerApp {
 public:
  explicit CInstallerApp(std::wstring commandLine) : m_lpCmdLine(std::move(commandLine)) {}

  // Does all the start-up work and runs the main window; FALSE on every path, so the
  // process ends when it returns.
  BOOL InitInstance();
  // The process's exit code once InitInstance has returned: 0 for the window's run, the
  // unattended form's code (workflow/exit_codes.h) for the switches.
  int ExitCode() const { return m_exitCode; }

 private:
  bool HardenDllSearch(bool quiet);
  void HandOver(const std::wstring& modulePath, const std::wstring& moduleFolder,
                const std::wstring& moduleName);
  void PrepareRestartedInstaller(const std::wstring& moduleFolder, const std::wstring& moduleName);

  std::wstring m_lpCmdLine;
  ScopedHandle m_singleInstance;
  int m_exitCode = 0;
  int m_nInitLeft = 0;
  int m_nInitTop = 0;
};
