#include "workflow/retry_delay.h"

uint32_t RetryDelayMs(int attempt, uint32_t random) {
  uint32_t delay = kFirstRetryDelayMs;
  for (int i = 1; i < attempt && delay < kLongestRetryDelayMs; ++i) delay *= 2;
  if (delay > kLongestRetryDelayMs) delay = kLongestRetryDelayMs;
  return delay - random % (delay / 5 + 1);
}
