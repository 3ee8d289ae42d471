// The process entry: start-up checks, the self-update command lines, the single-instance
// guard, and the main window.
#pragma once

#include <windows.h>

#include <string>

class CInstallerApp {
 public:
  explicit CInstallerApp(std::wstring commandLine) : m_lpCmdLine(std::move(commandLine)) {}

  // Does all the start-up work and runs the main window; FALSE on every path, so the
  // process ends when it returns.
  BOOL InitInstance();

 private:
  bool HardenDllSearch();
  void HandOver(const std::wstring& modulePath, const std::wstring& moduleFolder,
                const std::wstring& moduleName);
  void PrepareRestartedInstaller(const std::wstring& moduleFolder, const std::wstring& moduleName);

  std::wstring m_lpCmdLine;
  int m_nInitLeft = 0;
  int m_nInitTop = 0;
};
