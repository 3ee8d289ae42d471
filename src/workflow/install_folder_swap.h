// An update that never loses the installation: the package is copied into a fresh folder
// beside the install folder, and only a complete copy takes the installation's place, by
// two renames. Until then the previous installation stays exactly as it was.
#pragma once

#include <string>

#include "workflow/run_context.h"
#include "workflow/swap_paths.h"

class StagedInstallation {
 public:
  explicit StagedInstallation(const std::wstring& installFolder);
  // Removes the new folder unless it was swapped into place.
  ~StagedInstallation();
  StagedInstallation(const StagedInstallation&) = delete;
  StagedInstallation& operator=(const StagedInstallation&) = delete;

  // Puts back a previous installation that an interrupted swap left aside, clears what an
  // interrupted run left where the new folder goes (a link only as a link) and creates
  // that folder afresh. False, with a log line, when it cannot.
  bool Prepare();
  // Where the package is to be copied.
  const std::wstring& folder() const { return paths_.fresh; }

  // Moves the previous installation aside, the new folder into its place, then removes
  // the previous one. While a file of the previous installation is in use, shows the
  // disk-space failure and tries again every 500 ms, until it is free (the installing
  // stage again) or the user leaves. False, with log lines and the previous installation
  // in place, when the swap cannot be made.
  bool SwapIn(RunContext& run);

 private:
  enum class Move { kDone, kInUse, kRefused };

  void PutBackInterruptedSwap();
  bool KeepAsideForeignFolder() const;
  Move TryMoveAside(std::wstring* heldPath, unsigned long* error) const;
  bool MoveAsideWhenFree(RunContext& run, std::wstring* waitedFor);
  void RemovePrevious() const;

  SwapPaths paths_;
  bool created_ = false;  // the new folder is ours to remove
  bool swapped_ = false;
};
