// The installation workflow: one object per run, embedded in the main window and shared
// by the worker threads, one at a time.
#pragma once

#include <windows.h>

#include <string>

#include "config/server_config.h"
#include "workflow/installer_host.h"

class CInstallWorker {
 public:
  // The first worker: from the server configuration to the ready stage, a newer
  // installer, the running product, or a failure stage.
  void RunWorkflow(IInstallerHost& dialog);

  // The configuration URL: the override file's, else the maker's default.
  std::wstring GetServerUrl();
  // The connection time-out in ms: the override file's, else 60000.
  int GetWebConnectTimeout();
  // Fetches the configuration (or takes the local Package copy) into <Temp>\server.ini
  // and returns that path, whether or not the file could be obtained.
  std::wstring DownloadServerIni(const std::wstring& url, int timeoutMs);

  // The second worker: fetches, verifies and unpacks the missing prerequisites and the
  // package; true when everything is ready to install.
  bool DownloadStage(IInstallerHost& dialog);
  // The third worker: installs, registers and hands over to the upgrader (or fails).
  void InstallStage(IInstallerHost& dialog);

  // Start a program of the installed product with the window's position and close.
  void StartApp(IInstallerHost& dialog);
  void StartUpgrader(IInstallerHost& dialog, bool installedNow);

  std::wstring m_strServerIni;
  std::wstring m_strNetSetup;
  std::wstring m_strVcSetup;
  std::wstring m_strPackage;
  IInstallerHost* m_pDlg = nullptr;
  CServerConfig m_config;
  int m_nTimeout = 60000;
  std::wstring m_strInstallPath;

 private:
  enum class SelfUpdate { kNothingNewer, kHandedOver, kFailed };

  void FetchConfiguration();
  bool FailWhenConfigurationUnusable();
  SelfUpdate UpdateInstaller();
  void HandOverToNewInstaller(const std::wstring& downloadPath, const std::wstring& handOverPath,
                              const std::wstring& moduleFolder);
  void StartProductProgram(IInstallerHost& dialog, const wchar_t* exeName,
                           const std::wstring& marker);
  void Fail(int textId);
  std::wstring ReadOverrideText();
};

// The progress callback handed to DownloadFile; `dialog` is the IInstallerHost.
bool OnDownloadProgress(void* dialog, int position, bool finished);

// Thread routines of the three workers; `dialog` is the IInstallerHost.
DWORD WINAPI MainFlowThread(LPVOID dialog);
DWORD WINAPI DownloadThread(LPVOID dialog);
DWORD WINAPI InstallThread(LPVOID dialog);
