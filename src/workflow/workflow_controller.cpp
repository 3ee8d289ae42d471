#include "workflow/workflow_controller.h"

#include "system/folder_set.h"
#include "system/folder_tree.h"
#include "system/install_log.h"
#include "workflow/download_phase.h"
#include "workflow/fetch_rules.h"
#include "workflow/install_phase.h"
#include "workflow/self_update_phase.h"
#include "workflow/start_product.h"

namespace {

constexpr DWORD kFolderChoicePollMs = 100;
// A transfer or extractor just stopped may hold a file a moment longer.
constexpr unsigned kCancelCleanupMs = 3000;

}  // namespace

CWorkflowController::CWorkflowController(IWorkflowView& view) : run_(view) {
  run_.startTime = TakeStartTime();
}

CWorkflowController::~CWorkflowController() {
  run_.cancel.Cancel();
  worker_.Join();
}

void CWorkflowController::SetState(State state) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_ = state;
}

void CWorkflowController::End(RunOutcome outcome) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_ = State::kEnded;
  outcome_ = run_.cancel.IsCancelled() && outcome != RunOutcome::kHandedOver
                 ? RunOutcome::kCancelled
                 : outcome;
}

void CWorkflowController::KeepPlan(const Plan& plan) {
  const bool holdsProduct = HoldsProduct(plan.config.m_strInstallLocation);
  std::lock_guard<std::mutex> lock(mutex_);
  plan_ = plan;
  registeredFolderHoldsProduct_ = holdsProduct;
}

void CWorkflowController::Start() {
  SetState(State::kPlanning);
  run_.view.ShowStage(Stage::kChecking);
  worker_.Start([this] { RunFirstPhases(); });
}

void CWorkflowController::RunFirstPhases() {
  PlanResult planned = FetchPlan(run_);
  KeepPlan(planned.plan);
  switch (planned.end) {
    case PlanEnd::kPlanned: break;
    case PlanEnd::kOsUnsupported: return End(RunOutcome::kOsUnsupported);
    default: return End(RunOutcome::kFailed);
  }
  run_.timeoutMs = planned.plan.timeoutMs;
  Plan& plan = planned.plan;
  if (run_.noSelfUpdate) {
    WriteInstallLog(L"Installer update not looked for: this installer is the update");
  } else {
    switch (UpdateInstaller(run_, SelfUpdateInput{plan.config.m_installer, run_.timeoutMs})) {
      case SelfUpdateEnd::kNothingNewer: break;
      case SelfUpdateEnd::kHandedOver: return End(RunOutcome::kHandedOver);
      default: return End(RunOutcome::kFailed);
    }
  }

  WriteInstallLog(L"Run this...");
  run_.view.ShowStage(Stage::kPreparing);
  if (IsToBeFetched(plan.config.m_netFramework) || IsToBeFetched(plan.config.m_application)) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      plan_ = std::move(plan);
      state_ = State::kReady;  // before the stage shows: Continue may come at once
    }
    run_.view.ShowStage(Stage::kReady);
    return;
  }
  const bool installed = !plan.config.GetInstalledVersion().empty();
  KeepPlan(plan);  // with the install location just read
  if (installed && run_.unattended) {
    WriteInstallLog(L"Lumetra is current, nothing to install: %ls",
                    plan.config.m_strInstallLocation.c_str());
    return End(RunOutcome::kCurrent);
  }
  if (installed) {
    WriteInstallLog(L"No valid app to download, start the installed one: %ls",
                    plan.config.m_strInstallLocation.c_str());
    StartApp(run_, ProductStart{plan.config.m_strInstallLocation, InstallFolder()});
    return End(RunOutcome::kCurrent);
  }
  WriteInstallLog(L"app is never installed and no valid app to download");
  run_.Fail(Failure::kServerConfig);
  End(RunOutcome::kFailed);
}

bool CWorkflowController::Continue() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_ != State::kReady) return false;
    state_ = State::kDownloading;
  }
  run_.view.ShowStage(Stage::kDownloading);
  run_.view.SetProgressPos(0);
  worker_.Start([this] { RunDownloadAndInstall(); });
  return true;
}

// Returns once no folder is being chosen; false when the user cancelled meanwhile.
bool CWorkflowController::WaitForFolderChoice() {
  for (;;) {
    if (run_.cancel.IsCancelled()) return false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!choosingFolder_) {
        state_ = State::kInstalling;
        return true;
      }
    }
    Sleep(kFolderChoicePollMs);
  }
}

void CWorkflowController::RunDownloadAndInstall() {
  const CServerConfig& config = plan_.config;
  const DownloadResult downloaded = DownloadStage(
      run_, DownloadInput{config.m_netFramework, config.m_vc2015x86, config.m_application,
                          run_.timeoutMs});
  if (downloaded.end != DownloadEnd::kReady || !WaitForFolderChoice())
    return End(RunOutcome::kFailed);

  InstallInput input{config.m_netFramework, config.m_vc2015x86, config.m_application,
                     downloaded.files,      InstallFolder(),     config.m_strInstallLocation};
  run_.view.ShowStage(Stage::kInstalling);
  run_.view.SetProgressPos(0);
  End(InstallStage(run_, input) == InstallEnd::kUpgraderStarted ? RunOutcome::kInstalled
                                                                 : RunOutcome::kFailed);
}

void CWorkflowController::BeginFolderChoice() {
  std::lock_guard<std::mutex> lock(mutex_);
  choosingFolder_ = true;
}

void CWorkflowController::EndFolderChoice(const std::wstring& chosenFolder) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Once the installation has begun, its folder stays what it began with.
  if (!chosenFolder.empty() && state_ != State::kInstalling && state_ != State::kEnded)
    chosenFolder_ = chosenFolder;
  choosingFolder_ = false;
}

std::wstring CWorkflowController::InstallFolder() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!chosenFolder_.empty()) return chosenFolder_;
  // An update goes where the product is installed, not beside it; a registration that
  // names a folder without the product (stale, or edited) is not followed.
  return registeredFolderHoldsProduct_ ? plan_.config.m_strInstallLocation
                                       : GetDefaultInstallFolder();
}

void CWorkflowController::AnswerCancelPrompt(bool cancel) {
  if (cancel) run_.cancel.Cancel();
  run_.cancel.SetPromptOpen(false);
}

void CWorkflowController::Leave() { run_.cancel.Cancel(); }

void CWorkflowController::Finish() {
  worker_.Join();
  if (!run_.cancel.IsCancelled()) return;
  // Checked files waiting to run are let go of, so that their folder can go.
  run_.heldFiles.ReleaseAll();
  const std::wstring temp = GetTempFolder();
  if (!DeleteFolderTreeWithin(temp, kCancelCleanupMs))
    WriteInstallLog(L"Temp folder could not be removed: %ls", temp.c_str());
}
