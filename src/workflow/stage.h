// The stages the installation goes through, and why one can fail. The numbers are the
// stages' numbers in the install log's history and the e2e screenshots.
#pragma once

enum class Stage {
  kChecking = 0,
  kOffline = 1,
  kUpdatingInstaller = 2,
  kPreparing = 3,
  kReady = 4,
  kDownloading = 5,
  kInstalling = 7,
  kStartingProduct = 8,
  kFailed = 9,
  kOsUnsupported = 10,
};

// Why the failed stage shows: each has one text (the window's failure table).
enum class Failure {
  kNoConnection,       // the server cannot be reached or a download failed online
  kServerConfig,       // the configuration is unusable, or the product is not where it should be
  kUnknown,            // no working folder, or the carried extractor cannot be written
  kInstallFailed,      // a prerequisite did not install, or the product cannot be registered
  kDiskSpace,          // the product cannot be copied into its folder
};
