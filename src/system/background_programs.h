// Programs started to run alongside the worker (the extractor's passes over installers
// while the next file downloads): waited for before their results are needed, ended when
// the user leaves, so that nothing still writes into the Temp folder as it is removed.
#pragma once

#include <mutex>
#include <vector>

#include "base/unique_handle.h"

class BackgroundPrograms {
 public:
  // Takes over a started program's process handle.
  void Add(ScopedHandle process);
  // Blocks until every program added so far has ended, then forgets them. Called by the
  // worker that adds them only.
  void WaitAll();
  // Ends every program still running, at once (from any thread).
  void EndAll();

 private:
  std::mutex mutex_;
  // Closed only by WaitAll, after the waiting, so that EndAll never meets a closed handle.
  std::vector<ScopedHandle> running_;
};
