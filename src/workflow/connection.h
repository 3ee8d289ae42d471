#pragma once

class CancelState;

// Whether the machine has a network connection (not whether a server answers).
bool IsMachineConnected();

// Returns true once the machine is connected again, checking at once and then every
// 500 ms; false when the user confirms cancelling first, or when the cancel state's wait
// limit passes (the run then gives up, logged). With `logRetries`, every check after the
// first is logged ("Retry: %d").
bool WaitForConnection(CancelState& cancel, bool logRetries = false);
