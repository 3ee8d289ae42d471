#include "app/unattended_install.h"

#include <windows.h>

#include "base/path_util.h"
#include "system/folder_set.h"
#include "system/folder_tree.h"
#include "system/install_log.h"
#include "system/process.h"
#include "system/product_font.h"
#include "workflow/exit_codes.h"
#include "workflow/workflow_controller.h"

namespace {

// The new installer that has just ended may hold its file a moment longer.
constexpr unsigned kTempRemovalMs = 3000;

// The workflow's view without a window: what it shows goes to the log already.
class QuietView : public IWorkflowView {
 public:
  void ShowStage(Stage) override {}
  void ShowFailure(Failure) override {}
  void SetProgressPos(int) override {}
  void SetProgressTarget(int) override {}
  void SetProgressCreep(bool) override {}
  ViewRect Placement() const override { return {}; }
  void Close() override {}
};

std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH * 2] = {};
  const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
  return length > 0 && length < MAX_PATH * 2 ? std::wstring(full) : path;
}

// The checked new installer, from the working folder, with the same switches; this one
// lets go of the single-instance mutex first, so that the new one can take it.
int RunNewInstaller(RunContext& run, const UnattendedSwitches& switches,
                    ScopedHandle& singleInstance) {
  const std::wstring parameters = SwitchesForNewInstaller(switches);
  WriteInstallLog(L"Starting the new installer: %ls %ls", run.handOverProgram.c_str(),
                  parameters.c_str());
  singleInstance.reset();
  // The new installer writes out its own extractor where this one's is held.
  run.heldFiles.ReleaseAllExcept(run.handOverProgram);
  const std::optional<unsigned long> exitCode =
      RunProgramForExitCode(SW_HIDE, GetTempFolder(), run.handOverProgram, parameters);
  run.heldFiles.ReleaseAll();
  // The new installer could not remove the working folder it ran from.
  if (!DeleteFolderTreeWithin(GetTempFolder(), kTempRemovalMs))
    WriteInstallLog(L"Temp folder could not be removed: %ls", GetTempFolder().c_str());
  if (!exitCode) {
    WriteInstallLog(L"The new installer could not be started");
    return kExitFailed;
  }
  WriteInstallLog(L"The new installer ended with exit code %lu", *exitCode);
  return static_cast<int>(*exitCode);
}

}  // namespace

int RunUnattendedInstallation(const UnattendedSwitches& switches, ScopedHandle& singleInstance) {
  if (!switches.acceptLicence) {
    WriteInstallLog(L"Unattended installation refused: /quiet needs /acceptlicence; nothing installed");
    return kExitBadSwitches;
  }
  ResolveUserFolders();
  InstallProductFont();

  QuietView view;
  CWorkflowController controller(view);
  RunContext& run = controller.run();
  run.unattended = true;
  run.noSelfUpdate = switches.noSelfUpdate;
  run.cancel.SetWaitLimit(switches.waitSeconds * 1000);
  if (!switches.dir.empty()) {
    const std::wstring folder = AppendProductFolder(FullPath(switches.dir));
    WriteInstallLog(L"Install folder from /dir: %ls", folder.c_str());
    controller.EndFolderChoice(folder);
  }

  controller.Start();
  controller.WaitForWorker();
  if (controller.outcome() == RunOutcome::kUnfinished) {
    WriteInstallLog(L"Licence accepted with /acceptlicence");
    controller.Continue();
    controller.WaitForWorker();
  }
  const RunOutcome outcome = controller.outcome();
  const int exitCode = outcome == RunOutcome::kHandedOver
                           ? RunNewInstaller(run, switches, singleInstance)
                           : ExitCodeFor(outcome, run.restartRequested, run.cancel.GaveUpWaiting());
  controller.Finish();
  WriteInstallLog(L"Unattended installation ends with exit code %d", exitCode);
  return exitCode;
}
