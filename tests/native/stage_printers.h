// Stages and failures by name in test messages, where googletest would print their bytes.
#pragma once

#include <ostream>

#include "workflow/stage.h"

inline const char* StageName(Stage stage) {
  switch (stage) {
    case Stage::kChecking: return "kChecking";
    case Stage::kOffline: return "kOffline";
    case Stage::kUpdatingInstaller: return "kUpdatingInstaller";
    case Stage::kPreparing: return "kPreparing";
    case Stage::kReady: return "kReady";
    case Stage::kDownloading: return "kDownloading";
    case Stage::kInstalling: return "kInstalling";
    case Stage::kStartingProduct: return "kStartingProduct";
    case Stage::kFailed: return "kFailed";
    case Stage::kOsUnsupported: return "kOsUnsupported";
  }
  return "(no stage)";
}

inline const char* FailureName(Failure failure) {
  switch (failure) {
    case Failure::kNoConnection: return "kNoConnection";
    case Failure::kServerConfig: return "kServerConfig";
    case Failure::kUnknown: return "kUnknown";
    case Failure::kInstallFailed: return "kInstallFailed";
    case Failure::kDiskSpace: return "kDiskSpace";
  }
  return "(no failure)";
}

// Found by googletest through the enums' namespace.
inline void PrintTo(Stage stage, std::ostream* out) {
  *out << StageName(stage) << " (" << static_cast<int>(stage) << ")";
}
inline void PrintTo(Failure failure, std::ostream* out) { *out << FailureName(failure); }
