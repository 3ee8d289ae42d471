// Files the installer has checked and will start later: each is held open so that, from
// the check until the start, no other process can write, rename or delete it, and what
// starts is exactly what was checked.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "base/unique_handle.h"

class HeldFiles {
 public:
  // Opens `path` for reading, letting others only read it too. False when it cannot be
  // held (missing, or open for writing elsewhere); a path held already stays held.
  bool Hold(const std::wstring& path);
  void Release(const std::wstring& path);
  // Lets every file go, so that the folder holding them can be removed.
  void ReleaseAll();
  // Lets every file but `path` go (a program about to start that needs the others free).
  void ReleaseAllExcept(const std::wstring& path);

 private:
  std::mutex mutex_;  // the window thread lets go of everything when the user leaves
  std::map<std::wstring, ScopedHandle> held_;
};
