// What the workflow needs of the window it reports to. The main dialog implements it;
// tests implement it with a recorder, so the workflow can run headless.
#pragma once

#include <string>

class CInstallWorker;

struct HostWindowRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

class IInstallerHost {
 public:
  virtual ~IInstallerHost() = default;

  virtual CInstallWorker& Worker() = 0;

  // Each call reaches the window on its own thread, in the order made.
  virtual void SetStage(int stage) = 0;
  virtual void SetProgressPos(int position) = 0;
  virtual void SetProgressTarget(int target) = 0;
  virtual void SetErrorTextId(int textId) = 0;  // the text stage 9 shows; set before SetStage(9)
  // Timer 2: while on, the bar creeps by 2 every second up to the progress target.
  virtual void SetProgressCreep(bool on) = 0;
  // The download stage ended (the download worker's last act): the window starts the
  // installation unless the folder picker is open, which then starts it when it closes.
  virtual void DownloadFinished(bool ok) = 0;
  virtual void Close() = 0;                     // WM_CLOSE: the window ends, and the process

  virtual bool IsExitPromptOpen() const = 0;  // the cancel confirmation is showing
  virtual bool IsCancelled() const = 0;       // the user confirmed cancelling
  virtual HostWindowRect WindowRect() const = 0;  // screen coordinates
  virtual std::wstring InstallFolder() const = 0;
  virtual std::wstring StartTime() const = 0;  // "\"MM/DD/YYYY hh:mm:ss\"", taken at start
};

// Stages the window shows.
enum InstallerStage {
  kStageChecking = 0,
  kStageOffline = 1,
  kStageUpdatingInstaller = 2,
  kStagePreparing = 3,
  kStageReady = 4,
  kStageDownloading = 5,
  kStageInstalling = 7,
  kStageStartingProduct = 8,
  kStageFailed = 9,
  kStageOsUnsupported = 10,
};
