// The run's last act: start a program of the installed product where the view stands,
// then close the view.
#pragma once

#include <string>

#include "workflow/run_context.h"

struct ProductStart {
  std::wstring installedLocation;  // the registered installation; empty on a first one
  std::wstring installFolder;      // the chosen folder, used when nothing is registered
};

// Lumetra.exe, when the product is current; the upgrader, after an installation (with the
// start time when the product was installed now). False, with the failed stage shown, when
// the program is not there.
bool StartApp(RunContext& run, const ProductStart& start);
bool StartUpgrader(RunContext& run, const ProductStart& start, bool installedNow);
