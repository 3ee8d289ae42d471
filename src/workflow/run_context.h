// What the phases of one run share: the view they report to, the files held from their
// check until they run, the cancel state, the connection time-out and the publisher's key.
// Each phase reads its own input and returns its own result; only this is common.
#pragma once

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>

#include "download/transfer_abort.h"
#include "system/held_files.h"
#include "system/process.h"
#include "workflow/release_key.h"
#include "workflow/workflow_view.h"

// The user's answer to the cancel confirmation, as the workers see it.
class CancelState {
 public:
  bool IsPromptOpen() const { return promptOpen_; }
  bool IsCancelled() const { return cancelled_; }
  void SetPromptOpen(bool open) { promptOpen_ = open; }
  // Marks the run cancelled first, then ends a transfer or an extractor pass in progress.
  void Cancel();
  // Returns once the confirmation is answered (at once when it is not open).
  void WaitWhilePromptOpen() const;

  TransferAbort& transfer() { return transfer_; }
  StoppablePrograms& extractor() { return extractor_; }

  // How long a wait for the network or for a file in use may last (the unattended form
  // bounds them; with a person at the window they last until the person leaves).
  DWORD waitLimitMs() const { return waitLimitMs_; }
  void SetWaitLimit(DWORD ms) { waitLimitMs_ = ms; }
  // A wait ran out: the run ends as a cancel does, but counts as failed.
  void GiveUpWaiting() {
    gaveUpWaiting_ = true;
    Cancel();
  }
  bool GaveUpWaiting() const { return gaveUpWaiting_; }

 private:
  std::atomic<bool> promptOpen_{false};
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> gaveUpWaiting_{false};
  DWORD waitLimitMs_ = INFINITE;
  TransferAbort transfer_;
  StoppablePrograms extractor_;
};

struct RunContext {
  explicit RunContext(IWorkflowView& v) : view(v) {}

  IWorkflowView& view;
  HeldFiles heldFiles;
  CancelState cancel;
  int timeoutMs = 60000;  // the configuration phase chooses it
  // The key the configuration must be signed with; none: no signature needed. The build
  // chooses it; tests put another in.
  std::optional<P256PublicKey> releaseKey = EmbeddedReleaseKey();
  // "\"MM/DD/YYYY hh:mm:ss\"", taken when the run started; the upgrader receives it.
  std::wstring startTime;
  // Run without a window (/quiet): nothing is started for a person to see, and a checked
  // new installer is left for the caller to start (handOverProgram, still held).
  bool unattended = false;
  bool noSelfUpdate = false;
  std::wstring handOverProgram;
  // A prerequisite's installer asked for a restart (its exit code 3010 or 1641).
  std::atomic<bool> restartRequested{false};
  // Waits before a download that came back wrong is repeated; tests record instead.
  void (*retryPause)(const CancelState& cancel, DWORD ms) = nullptr;

  // The failed stage with its reason.
  void Fail(Failure failure) { view.ShowFailure(failure); }
  // A progress position, unless the cancel confirmation covers the bar.
  void ShowProgress(int position) {
    if (!cancel.IsPromptOpen()) view.SetProgressPos(position);
  }
  void PauseBeforeRetry(DWORD ms);
};

// The progress callback given to DownloadFile with the run context: stops the transfer
// once the user has confirmed cancelling, and leaves the bar alone while they are asked.
bool OnDownloadProgress(void* context, int position, bool finished);

// The local time as the upgrader receives it.
std::wstring TakeStartTime();
