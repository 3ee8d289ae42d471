#pragma once

// Installs the font the product's interface uses (carried as FILE 208), once per
// machine: copies it into the Windows Fonts folder, adds it to the font table and
// registers it under HKLM. A machine that already has the file is left as it is. The font
// is extracted into the working folder: nothing happens before that is resolved.
void InstallProductFont();
