// The installation's one controller: it owns the run context and one worker thread at a
// time, and moves the run through its phases: configuration and self-update, then (on
// Continue) download, then, once the download is done and no folder is being chosen,
// installation. A view shows the run; with a view that is no window, the controller runs
// unattended.
#pragma once

#include <mutex>
#include <string>

#include "workflow/configuration_phase.h"
#include "workflow/exit_codes.h"
#include "workflow/run_context.h"
#include "workflow/worker_thread.h"

class CWorkflowController {
 public:
  explicit CWorkflowController(IWorkflowView& view);
  // Cancels what still runs and joins the worker.
  ~CWorkflowController();
  CWorkflowController(const CWorkflowController&) = delete;
  CWorkflowController& operator=(const CWorkflowController&) = delete;

  // The first worker: configuration, self-update, then the ready stage, the start of the
  // current product or a failure.
  void Start();
  // From the ready stage only: the download and installation worker. False otherwise.
  bool Continue();

  // The folder picker: while it is open, a finished download waits for it.
  void BeginFolderChoice();
  void EndFolderChoice(const std::wstring& chosenFolder);  // empty: no change
  // Where the product goes: the chosen folder, else the registered installation's when
  // the product is there, else <program files>\Lumetra.
  std::wstring InstallFolder() const;

  // The cancel confirmation. A confirmed cancel marks the run cancelled before the prompt
  // counts as closed, and stops a transfer or an extractor pass in progress.
  void OpenCancelPrompt() { run_.cancel.SetPromptOpen(true); }
  void AnswerCancelPrompt(bool cancel);
  bool IsCancelPromptOpen() const { return run_.cancel.IsPromptOpen(); }
  // The user leaves without the question (the unsupported-OS page's OK): as a cancel.
  void Leave();

  // Waits for the worker to end; after a cancel, removes the Temp folder.
  void Finish();
  // Waits for the worker to end (the unattended form and the tests).
  void WaitForWorker() { worker_.Join(); }

  // How the run ended, once its worker has (kUnfinished while it waits for Continue).
  RunOutcome outcome() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return outcome_;
  }

  RunContext& run() { return run_; }
  // The plan of the first worker, as far as it got: read only once it has ended.
  const Plan& plan() const { return plan_; }

 private:
  enum class State { kIdle, kPlanning, kReady, kDownloading, kInstalling, kEnded };

  void RunFirstPhases();
  void RunDownloadAndInstall();
  bool WaitForFolderChoice();
  void SetState(State state);
  void End(RunOutcome outcome);
  void KeepPlan(const Plan& plan);

  RunContext run_;
  Plan plan_;
  WorkerThread worker_;

  mutable std::mutex mutex_;  // guards what the window thread and the worker both touch
  State state_ = State::kIdle;
  RunOutcome outcome_ = RunOutcome::kUnfinished;
  bool registeredFolderHoldsProduct_ = false;
  bool choosingFolder_ = false;
  std::wstring chosenFolder_;
};
