// Starting programs and finding running processes by executable name.
#pragma once

#include <string>

// Starts `file` through the shell ("open") with the given parameters, working folder
// and show command. With `wait`, blocks until the program ends; its exit code does not
// matter. False when the program could not be started.
bool RunProgram(int showCommand, bool wait, const std::wstring& workingFolder,
                const std::wstring& file, const std::wstring& parameters);

// Whether a process with this executable file name (no folder; letter case ignored) runs.
bool IsProcessRunning(const std::wstring& exeName);
