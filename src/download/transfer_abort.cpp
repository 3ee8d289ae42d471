#include "download/transfer_abort.h"

#include <windows.h>
#include <wininet.h>

void TransferAbort::Abort() {
  std::lock_guard<std::mutex> lock(mutex_);
  aborted_ = true;
  if (request_) InternetCloseHandle(static_cast<HINTERNET>(request_));
  request_ = nullptr;
}

bool TransferAbort::Aborted() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return aborted_;
}

bool TransferAbort::Track(void* request) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (aborted_) return false;
  request_ = request;
  return true;
}

bool TransferAbort::Untrack(void* request) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (request_ != request) return false;
  request_ = nullptr;
  return true;
}
