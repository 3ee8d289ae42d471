#include "workflow/run_context.h"

#include <ctime>

#include "workflow/start_parameters.h"

namespace {

constexpr DWORD kPollMs = 100;

// In slices, so that a confirmed cancel does not wait out a long pause.
void PauseUnlessCancelled(const CancelState& cancel, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); now < end && !cancel.IsCancelled(); now = GetTickCount64())
    Sleep(static_cast<DWORD>(end - now < kPollMs ? end - now : kPollMs));
}

}  // namespace

void CancelState::Cancel() {
  cancelled_ = true;
  transfer_.Abort();
  extractor_.StopAll();
}

void CancelState::WaitWhilePromptOpen() const {
  while (promptOpen_) Sleep(kPollMs);
}

void RunContext::PauseBeforeRetry(DWORD ms) {
  (retryPause ? retryPause : &PauseUnlessCancelled)(cancel, ms);
}

bool OnDownloadProgress(void* context, int position, bool /*finished*/) {
  auto* run = static_cast<RunContext*>(context);
  if (run->cancel.IsCancelled()) return false;
  run->ShowProgress(position);
  return true;
}

std::wstring TakeStartTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  return FormatStartTime(local);
}
