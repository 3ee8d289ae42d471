// The self-update: a newer installer announced by the configuration is fetched, checked
// and started in this one's place, and this run ends.
#pragma once

#include "config/package_info.h"
#include "workflow/run_context.h"

struct SelfUpdateInput {
  PackageInfo installer;  // the configuration's installer entry
  int timeoutMs = 60000;
};

enum class SelfUpdateEnd { kNothingNewer, kHandedOver, kFailed, kCancelled };

// kHandedOver: the new installer was started and the view closed.
SelfUpdateEnd UpdateInstaller(RunContext& run, const SelfUpdateInput& input);
