// The installer's main window: borderless, 400 x 700, in the bottom-right corner of the
// work area or where a restarted installer's predecessor stood. It shows one stage of the
// installation at a time, runs the workflow's worker threads, offers the cancel
// confirmation and the folder choice, and feeds download progress into its bar.
#pragma once

#include <atomic>
#include <string>

#include "base/unique_handle.h"
#include "ui/controls/design_button.h"
#include "ui/controls/design_progress.h"
#include "ui/controls/dl_edit.h"
#include "ui/framework/control.h"
#include "ui/framework/dialog.h"
#include "ui/licence/auto_line_static.h"
#include "ui/stage_table.h"
#include "workflow/install_worker.h"
#include "workflow/installer_host.h"

class CInstallerDlg : public framework::Dialog,
                      public IInstallerHost,
                      private IDesignButtonOwner {
 public:
  CInstallerDlg();

  // IInstallerHost: callable from any thread; window changes take effect on the window's
  // own thread in the order asked for.
  CInstallWorker& Worker() override { return m_worker; }
  void SetStage(int stage) override;
  void SetProgressPos(int position) override;
  void SetProgressTarget(int target) override { m_nProgressTarget = target; }
  void SetErrorTextId(int textId) override { m_nErrorTextId = textId; }
  void SetProgressCreep(bool on) override;
  void DownloadFinished(bool ok) override;
  void Close() override;
  bool IsExitPromptOpen() const override { return m_bExitPromptOpen != 0; }
  bool IsCancelled() const override { return m_bCancelled != 0; }
  HostWindowRect WindowRect() const override;
  std::wstring InstallFolder() const override;
  std::wstring StartTime() const override { return m_strStartTime; }

  int m_nInitLeft = 0;
  int m_nInitTop = 0;

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool PreTranslateMessage(MSG& msg) override;

 private:
  // Paints the grey frame after the window's own painting of the messages that draw on it.
  class FramePainter : public framework::Control {
   protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  };

  // Start-up (installer_dlg.cpp).
  void PlaceWindow();
  void CreateFonts();
  void CreateStatusArea();
  void CreateFolderRow();
  void CreateLicenceGroup();
  void CreateOsPage();
  void SetProxyCaptions();
  void StartWorker(LPTHREAD_START_ROUTINE routine);

  // Stages (installer_dlg_stage.cpp).
  void ApplyStage(int stage);
  void ShowStatusLine(int textId, bool busy, bool progress);
  void HideStatusLine();
  void ShowFolderRow(FolderRow row);
  void ShowLicenceGroup(bool shown);
  void ShowWindowButtons(bool shown);
  void ShowOsPage(bool shown);
  void StartInstall();
  void OnTimer(UINT_PTR id);
  HBRUSH ControlColor(HDC dc, HWND control);

  // Input (installer_dlg_input.cpp).
  int OnDesignButtonClick(int x, int y, int id, bool ticked) override;
  void OnContinue();
  void OnCheckBox(bool ticked);
  void Minimize();
  void RunCancelFlow();
  void RunBrowseFlow();
  void UpdateFocusLooks();
  bool ActOnFocusedProxy();
  bool KeyboardLocked() const;
  bool CanAskToLeave() const;
  void ShowAboutBox();

  // Painting (installer_dlg_paint.cpp).
  void EraseBackground(HDC dc);
  void Paint();

  // Runs `message` on the window's own thread: directly there, sent from a worker.
  LRESULT OnWindowThread(UINT message, WPARAM wParam, LPARAM lParam = 0) const;
  HWND Item(int id) const { return GetDlgItem(hwnd(), id); }
  void SetTabStop(int id, bool on);

  CInstallWorker m_worker;
  DWORD m_uiThreadId = 0;

  CDesignProgress m_progress;
  CDesignButton m_close;
  CDesignButton m_minimize;
  CDesignButton m_continue;
  CDesignButton m_cancel;
  CDesignButton m_browse;
  CDesignButton m_busy;
  CDesignButton m_checkBox;
  CDesignButton m_osOk;
  CDLEdit m_folderField;
  CAutoLineStatic m_licenceLine;
  FramePainter m_framePainter;

  ScopedFont m_installToFont;  // 9 pt
  ScopedFont m_statusFont;     // 10.5 pt
  ScopedFont m_headingFont;    // 18 pt
  ScopedFont m_osTextFont;     // 11.5 pt
  ScopedBrush m_whiteBrush;
  ScopedBitmap m_osPicture;  // shown by 1022, which does not free it

  // Shared with the workers: written on one side, polled on the other.
  std::atomic<int> m_nProgressTarget{0};
  std::atomic<int> m_nErrorTextId{0};
  std::atomic<int> m_bExitPromptOpen{0};
  std::atomic<int> m_bCancelled{0};
  std::atomic<int> m_bDownloadOk{0};
  std::atomic<int> m_bBrowsing{0};
  std::atomic<bool> m_bInstallStarted{false};  // the installation starts exactly once

  // Interface thread only.
  std::wstring m_strInstallFolder;
  int m_bRedStatus = 0;
  int m_bWindowButtons = 0;
  int m_bInstallingLabel = 0;
  int m_bEscapePressed = 0;  // the window saw Escape go down and waits for its release
  std::wstring m_strStartTime;
};
