// Lets another thread end a transfer that is waiting in WinINet: closing the request
// handle makes the pending call return at once, where a time-out could take a minute.
#pragma once

#include <mutex>

class TransferAbort {
 public:
  // Any thread: ends the transfer in progress and makes every later one end at once.
  void Abort();
  bool Aborted() const;

  // The transfer lends its request handle (an HINTERNET) while it uses it. Track is false
  // once aborted (the handle is then the caller's to close); Untrack is false when an
  // abort has closed the handle meanwhile (it must not be closed again).
  bool Track(void* request);
  bool Untrack(void* request);

 private:
  mutable std::mutex mutex_;
  void* request_ = nullptr;
  bool aborted_ = false;
};
