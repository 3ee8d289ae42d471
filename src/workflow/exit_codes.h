// What a run ends with, and the exit code the unattended form gives its caller (the codes
// management tools already know from other installers). Platform-free.
#pragma once

enum class RunOutcome {
  kUnfinished,     // the run has not come to an end of its own
  kInstalled,      // installed (or prerequisites only), the upgrader started
  kCurrent,        // the product is current: nothing to install
  kHandedOver,     // a newer installer takes over
  kOsUnsupported,  // this Windows has no package
  kFailed,
  kCancelled,
};

enum ExitCode : int {
  kExitSuccess = 0,
  kExitBadSwitches = 87,
  kExitCancelled = 1602,
  kExitFailed = 1603,
  kExitAlreadyRunning = 1618,
  kExitUnsupportedWindows = 1633,
  kExitRestartRequired = 3010,
};

// An installer's exit code that asks for the machine to be restarted.
inline bool IsRestartRequest(unsigned long exitCode) {
  return exitCode == 3010 || exitCode == 1641;
}

// A run cut short because a wait ran out counts as failed, not as cancelled.
inline int ExitCodeFor(RunOutcome outcome, bool restartRequested, bool gaveUpWaiting) {
  switch (outcome) {
    case RunOutcome::kInstalled:
      return restartRequested ? kExitRestartRequired : kExitSuccess;
    case RunOutcome::kCurrent:
      return kExitSuccess;
    case RunOutcome::kOsUnsupported:
      return kExitUnsupportedWindows;
    case RunOutcome::kCancelled:
      return gaveUpWaiting ? kExitFailed : kExitCancelled;
    default:
      return kExitFailed;
  }
}
