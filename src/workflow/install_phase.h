// The install phase: runs the downloaded prerequisite installers, replaces the product
// folder with the unpacked package, registers the product and hands over to the upgrader.
// Once begun it runs to its end: a prerequisite installer is never interrupted.
#pragma once

#include <string>

#include "config/package_info.h"
#include "workflow/download_phase.h"
#include "workflow/run_context.h"

struct InstallInput {
  PackageInfo netFramework;
  PackageInfo vc2015x86;
  PackageInfo application;
  DownloadedFiles files;
  std::wstring installFolder;      // where the product goes
  std::wstring installedLocation;  // where the registered installation lies; empty: none
};

enum class InstallEnd { kUpgraderStarted, kFailed };

InstallEnd InstallStage(RunContext& run, const InstallInput& input);

// Copies the tree `source` into the existing folder `target`; a file that cannot be
// replaced is retried every 500 ms, the failed stage showing the disk-space text meanwhile,
// until it can (or the user leaves). False when a copied file is not there afterwards.
bool CopytoInstallPath(RunContext& run, const std::wstring& source, const std::wstring& target);

// Writes the uninstall entry (HKLM, 32-bit view); true when every value was written.
bool RegisterToSystem(const std::wstring& installPath, const std::wstring& displayVersion);
