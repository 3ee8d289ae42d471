// The product's shortcuts: on the all-users desktop and in the all-users Start Menu,
// and the per-user ones that older installations may have left.
#pragma once

#include <string>

// Saves a shell link to `targetExe` as the public desktop shortcut and copies it into the
// all-users Start Menu. Always true; without COM or a shell-link object nothing is made.
bool CreateProductShortcut(const std::wstring& targetExe);

// <all-users Start Menu programs>\Lumetra.lnk
std::wstring GetStartMenuLinkPath();

// Deletes the all-users and the per-user Start Menu shortcut, each only if it exists.
void DeleteStartMenuLinks();

// Deletes the public and the per-user desktop shortcut, then the Start Menu ones.
void DeleteProductShortcuts();
