// The install phase: runs the downloaded prerequisite installers, replaces the product
// folder with the unpacked package (only once the package is complete beside it),
// registers the product and hands over to the upgrader.
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

// Copies the package tree `source` into the fresh, empty folder `target`. False (with a
// log line saying why) when any of it cannot be listed or copied, or when it holds no file.
bool CopytoInstallPath(const std::wstring& source, const std::wstring& target);

// Writes the uninstall entry (HKLM, 32-bit view); true when every value was written.
bool RegisterToSystem(const std::wstring& installPath, const std::wstring& displayVersion);
