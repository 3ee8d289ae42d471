// The unattended form (/quiet /acceptlicence ...): the same run as a click on Continue,
// without a window, ending with an exit code a deployment tool can read.
#pragma once

#include <string>

#include "app/switches.h"
#include "base/unique_handle.h"

// Runs the installation the switches ask for and returns the process's exit code.
// `singleInstance` is the installer's mutex: let go of when a newer installer takes over.
int RunUnattendedInstallation(const UnattendedSwitches& switches, ScopedHandle& singleInstance);
