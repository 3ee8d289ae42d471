// The installation workflow: one object per run, embedded in the main window and shared
// by the worker threads, one at a time.
#pragma once

#include <windows.h>

#include <string>

#include "config/server_config.h"
#include "system/held_files.h"
#include "workflow/installer_host.h"
#include "workflow/release_key.h"

// Waits `ms`, or less once the user has confirmed cancelling.
void PauseBeforeRetry(IInstallerHost& dialog, DWORD ms);

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
  // Downloads, verifies and unpacks one file into the Temp folder; the installer's path
  // (extension ".exe") or the unpacked package folder (extension ""), empty on failure.
  std::wstring DownloadPackageItem(int start, int span, const std::wstring& extension,
                                   const PackageInfo& record);
  // Runs the carried 7za.exe on the file, into the Temp folder. True when it ran and,
  // with `mustUnpack`, also unpacked without a fatal error.
  bool DecompressPackage(const std::wstring& archivePath, bool mustUnpack = false);

  // The third worker: installs, registers and hands over to the upgrader (or fails).
  void InstallStage(IInstallerHost& dialog);
  // Copies the tree `source` into the existing folder `target`; a file that cannot be
  // replaced is retried every 500 ms, the window showing text 125 meanwhile. False when
  // a copied file is not there afterwards.
  bool CopytoInstallPath(const std::wstring& source, const std::wstring& target,
                         IInstallerHost& dialog);
  // Writes the uninstall entry (HKLM, 32-bit view); true when every value was written.
  bool RegisterToSystem(const std::wstring& installPath);

  // Where the registered installation lives ("InstallLocation"), empty when none is.
  // Known once the window is in stage 4: the folder row starts there for an update.
  std::wstring InstalledLocation() const { return m_config.m_strInstallLocation; }

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
  // The publisher's key the configuration must be signed with; none: no signature needed.
  // The build chooses it; tests put another in.
  std::optional<P256PublicKey> m_releaseKey = EmbeddedReleaseKey();
  // The extractor, the checked installers and the package, from their check until they
  // have run; let go when the Temp folder is to be removed.
  HeldFiles m_heldFiles;
  // Waits before a download that came back wrong is repeated (PauseBeforeRetry); tests
  // put a recorder here instead of waiting.
  void (*m_retryPause)(IInstallerHost& dialog, DWORD ms) = &PauseBeforeRetry;

 private:
  enum class SelfUpdate { kNothingNewer, kHandedOver, kFailed };
  enum class ItemOutcome { kReady, kFailed, kCancelled };
  // One file of the download stage: its record, its part of the bar, its result's
  // extension and the log lines of its failures.
  struct ItemPlan {
    const PackageInfo& record;
    int start;
    int span;
    const wchar_t* extension;
    const wchar_t* failedOnline;
    const wchar_t* failedOffline;
    bool countRetries;  // the package's wait for the network logs "Retry: %d"
  };

  ItemOutcome FetchItem(const ItemPlan& plan, std::wstring& result);
  bool InstallPrerequisite(const wchar_t* program, bool (*installed)(), const wchar_t* startLog,
                           const wchar_t* failedLog, const wchar_t* okLog);
  void FailInstall(const wchar_t* logText, int textId);

  void FetchConfiguration();
  void DownloadServerIniSignature(const std::wstring& url, const std::wstring& target,
                                  int timeoutMs);
  bool ServerIniSignatureAccepted();
  bool FailWhenConfigurationUnusable();
  SelfUpdate UpdateInstaller();
  bool HandOverToNewInstaller(const std::wstring& downloadPath, const std::wstring& handOverPath,
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
