#include "system/background_programs.h"

namespace {

// TerminateProcess only starts the end; give it this long to finish.
constexpr DWORD kEndWaitMs = 2000;

}  // namespace

void BackgroundPrograms::Add(ScopedHandle process) {
  if (!process.valid()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  running_.push_back(std::move(process));
}

void BackgroundPrograms::WaitAll() {
  std::vector<HANDLE> waiting;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const ScopedHandle& process : running_) waiting.push_back(process.get());
  }
  // Not under the lock: the window thread may have to end them meanwhile.
  for (HANDLE process : waiting) WaitForSingleObject(process, INFINITE);
  std::lock_guard<std::mutex> lock(mutex_);
  running_.erase(running_.begin(), running_.begin() + static_cast<ptrdiff_t>(waiting.size()));
}

void BackgroundPrograms::EndAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const ScopedHandle& process : running_) {
    if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) continue;
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), kEndWaitMs);
  }
}
