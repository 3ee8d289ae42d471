// How long to wait before fetching again a file that came back wrong. Platform-free.
#pragma once

#include <cstdint>

inline constexpr uint32_t kFirstRetryDelayMs = 1000;
inline constexpr uint32_t kLongestRetryDelayMs = 60000;

// The wait before repeat `attempt` (1 for the first repeat): 1 s, doubling with every
// attempt up to 60 s, less up to a fifth drawn from `random`, so that many installers
// fed the same bad file do not come back to the server in step.
uint32_t RetryDelayMs(int attempt, uint32_t random);
