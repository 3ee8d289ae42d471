// The download phase: fetches, verifies and unpacks the .NET Framework installer, the VC
// runtime installer and the product package into the Temp folder, in that order.
#pragma once

#include <string>

#include "config/package_info.h"
#include "workflow/run_context.h"

struct DownloadInput {
  PackageInfo netFramework;
  PackageInfo vc2015x86;
  PackageInfo application;
  int timeoutMs = 60000;
};

// What the install phase runs and copies; empty for what was not to be fetched.
struct DownloadedFiles {
  std::wstring netSetup;
  std::wstring vcSetup;
  std::wstring package;  // the unpacked package folder
};

enum class DownloadEnd { kReady, kFailed, kCancelled };

struct DownloadResult {
  DownloadEnd end = DownloadEnd::kFailed;
  DownloadedFiles files;
};

// Waits out network outages (the offline stage); a failure with the network present shows
// the failed stage.
DownloadResult DownloadStage(RunContext& run, const DownloadInput& input);

// Downloads, verifies and unpacks one file into the Temp folder; the installer's path
// (extension ".exe") or the unpacked package folder (extension ""), empty on failure.
// *transferFailed tells a failed transfer or check (fetching again may help) from a file
// that was right but could not be unpacked (it would be the same file again).
std::wstring DownloadPackageItem(RunContext& run, int timeoutMs, int start, int span,
                                 const std::wstring& extension, const PackageInfo& record,
                                 bool* transferFailed = nullptr);

// Runs the carried 7za.exe on the file, into the Temp folder. True when it ran and, with
// `mustUnpack`, also unpacked without a fatal error. A confirmed cancel ends the pass.
bool DecompressPackage(RunContext& run, const std::wstring& archivePath, bool mustUnpack = false);
