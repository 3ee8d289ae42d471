// The installer's main window: borderless, 400 x 700, in the bottom-right corner of the
// work area or where a restarted installer's predecessor stood. It runs the workflow's
// worker threads and shows the stage they report.
#pragma once

#include <atomic>
#include <string>

#include "ui/framework/dialog.h"
#include "workflow/install_worker.h"
#include "workflow/installer_host.h"

class CInstallerDlg : public framework::Dialog, public IInstallerHost {
 public:
  CInstallerDlg();

  // IInstallerHost: callable from any thread.
  CInstallWorker& Worker() override { return m_worker; }
  void SetStage(int stage) override;
  void SetProgressPos(int position) override;
  void SetProgressTarget(int target) override;
  void SetErrorTextId(int textId) override;
  void SetProgressCreep(bool) override {}
  void DownloadFinished(bool) override {}
  void Close() override;
  bool IsExitPromptOpen() const override { return m_bExitPromptOpen != 0; }
  bool IsCancelled() const override { return m_bCancelled != 0; }
  HostWindowRect WindowRect() const override;
  std::wstring InstallFolder() const override { return m_strInstallFolder; }
  std::wstring StartTime() const override { return m_strStartTime; }

  int m_nInitLeft = 0;
  int m_nInitTop = 0;
  // Written by the interface thread, read by the workers.
  std::atomic<int> m_bExitPromptOpen{0};
  std::atomic<int> m_bCancelled{0};

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void PlaceWindow();
  void Paint(HDC dc);
  // Runs `message` on the window's own thread: directly there, sent from a worker.
  void OnWindowThread(UINT message, WPARAM wParam);

  CInstallWorker m_worker;
  DWORD m_uiThreadId = 0;
  int m_nStage = 0;
  int m_nProgressPos = 0;
  int m_nProgressTarget = 0;
  int m_nErrorTextId = 0;
  std::wstring m_strInstallFolder;
  std::wstring m_strStartTime;
};
