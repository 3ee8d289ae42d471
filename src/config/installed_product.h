// The product as an earlier run registered it (the uninstall entry).
#pragma once

#include "config/config_platform.h"

// Opens HKLM\...\Uninstall\Lumetra (creating an empty key when there is none) and reads
// "InstallLocation" and, when Lumetra.exe exists there, "DisplayVersion".
InstalledProduct ReadInstalledProductEntry();
