#pragma once

// Installs the font the product's interface uses, once per machine.
void InstallProductFont();
