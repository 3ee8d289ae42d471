#pragma once

// Whether the machine has a network connection (not whether a server answers).
bool IsMachineConnected();

// Returns once the machine is connected again, checking at once and then every 500 ms.
void WaitForConnection();
