// Where an update by renaming puts its folders. Platform-free.
#pragma once

#include <string>
#include <string_view>

// The new installation is copied beside the install folder and swapped in by renaming,
// so all three are siblings in one parent folder (a rename never crosses volumes).
struct SwapPaths {
  std::wstring installed;  // the install folder, without trailing backslashes
  std::wstring parent;     // the folder that holds it ("C:\" at the root of a drive)
  std::wstring fresh;      // "<install folder>.new": the package is copied here
  std::wstring aside;      // "<install folder>.old": the previous installation, until removed
};

// All empty when the folder has no parent to hold siblings: a drive root, a bare name,
// "." or "..".
SwapPaths SwapPathsFor(std::wstring_view installFolder);
