// The installer's main window: borderless, 400 x 700, in the bottom-right corner of the
// work area or where a restarted installer's predecessor stood. It is the workflow's view
// (one stage at a time, the progress bar) and its input (Continue, the cancel
// confirmation, the folder choice); the controller it owns runs the workflow.
#pragma once

#include <atomic>
#include <string>

#include "base/unique_handle.h"
#include "ui/controls/design_button.h"
#include "ui/controls/design_progress.h"
#include "ui/controls/dl_edit.h"
#include "ui/framework/control.h"
#include "ui/framework/dialog.h"
#include "ui/images/png_image.h"
#include "ui/licence/auto_line_static.h"
#include "ui/stage_table.h"
#include "workflow/workflow_controller.h"
#include "workflow/workflow_view.h"

class CInstallerDlg : public framework::Dialog,
                      public IWorkflowView,
                      private IDesignButtonOwner {
 public:
  CInstallerDlg();

  // Runs the window until the run ends or the user leaves; the window is gone when it
  // returns, and what the run still does (joining its worker, removing the Temp folder
  // after a cancel) happens after that.
  void Run();

  // IWorkflowView: callable from any thread; window changes take effect on the window's
  // own thread in the order asked for. Once the window is gone they do nothing.
  void ShowStage(Stage stage) override;
  void ShowFailure(Failure failure) override;
  void SetProgressPos(int position) override;
  void SetProgressTarget(int target) override { m_nProgressTarget = target; }
  void SetProgressCreep(bool on) override;
  ViewRect Placement() const override;
  void Close() override;

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
  void ConnectControls();

  // Stages (installer_dlg_stage.cpp).
  void ApplyStage(Stage stage);
  void ShowStatusLine(int textId, bool busy, bool progress);
  void HideStatusLine();
  void ShowFolderRow(FolderRow row);
  void ShowLicenceGroup(bool shown);
  void ShowWindowButtons(bool shown);
  void ShowOsPage(bool shown);
  void OnTimer(UINT_PTR id);
  HBRUSH ControlColor(HDC dc, HWND control);

  // Input (installer_dlg_input.cpp).
  enum class Action { kLeave, kMinimize, kContinue, kBrowse, kTick, kDismissOsPage, kOpenLink };
  // One drawn control: the button drawing it (none for a licence link), the zero-size
  // proxy that carries its focus, the proxy's caption for screen readers, what it does.
  struct DrawnControl {
    CDesignButton CInstallerDlg::*button;
    int controlId;
    int proxyId;
    unsigned captionId;
    Action action;
  };
  static const DrawnControl kDrawnControls[];
  void Act(Action action, bool ticked);
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
  const CPngImage* Illustration();

  // Runs `message` on the window's own thread: directly there, sent from a worker.
  LRESULT OnWindowThread(UINT message, WPARAM wParam, LPARAM lParam = 0) const;
  HWND Item(int id) const { return GetDlgItem(hwnd(), id); }
  void SetTabStop(int id, bool on);

  std::atomic<bool> m_bWindowGone{false};  // before the controller, which outlives the window
  CWorkflowController m_controller{*this};

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
  CPngImage m_illustration;  // decoded at the first paint
  ScopedBitmap m_osPicture;  // decoded when first shown; shown by 1022, which does not free it

  // Shared with the worker: written on one side, read on the other.
  std::atomic<int> m_nProgressTarget{0};
  std::atomic<Failure> m_failure{Failure::kUnknown};

  // Interface thread only.
  std::wstring m_strInstallFolder;  // the folder the row shows
  int m_bRedStatus = 0;
  int m_bWindowButtons = 0;
  bool m_bOsPageShown = false;
  int m_bInstallingLabel = 0;
  int m_bEscapePressed = 0;  // the window saw Escape go down and waits for its release
};
