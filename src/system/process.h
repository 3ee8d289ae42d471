// Starting programs and finding or ending running processes by executable name.
#pragma once

#include <windows.h>

#include <mutex>
#include <optional>
#include <set>
#include <string>

// Programs that another thread may have to end (a cancel ends a running extractor pass):
// RunProgramForExitCode lends each such program's process here while it waits for it.
class StoppablePrograms {
 public:
  // Ends every program lent now and every one lent later.
  void StopAll();

  // False once stopped: the program is then the caller's to end.
  bool Lend(HANDLE process);
  void Return(HANDLE process);

 private:
  std::mutex mutex_;
  std::set<HANDLE> running_;
  bool stopped_ = false;
};

// Starts `file` with the given parameters, working folder and show command: a program
// given by its full path directly, anything else (and a program that asks for rights
// this process lacks) through the shell. With `wait`, blocks until the program ends; its
// exit code does not matter. False when the program could not be started; a failed start
// shows nothing.
bool RunProgram(int showCommand, bool wait, const std::wstring& workingFolder,
                const std::wstring& file, const std::wstring& parameters);

// As RunProgram with waiting, for a program whose outcome matters: the exit code once
// it has ended, or no value when it could not be started (or its end not be waited for).
// With `stoppable`, a StopAll there ends the program (exit code 1).
std::optional<unsigned long> RunProgramForExitCode(int showCommand,
                                                   const std::wstring& workingFolder,
                                                   const std::wstring& file,
                                                   const std::wstring& parameters,
                                                   StoppablePrograms* stoppable = nullptr);

// Whether a process with this executable file name (no folder; letter case ignored) runs.
bool IsProcessRunning(const std::wstring& exeName);

// Id of the first process of that name in a fresh snapshot; 0 when there is none, when
// the name is empty or when no snapshot can be taken.
unsigned long FindProcessId(const std::wstring& exeName);

// Ends every process, in any session, that runs the program file `exePath` (a full path;
// letter case ignored): each gets a grace of 3 s to end on its own, then is terminated
// with exit code 1. A program of the same name elsewhere is left alone. True once none is
// left. A process that cannot be opened or does not end even when terminated is given up
// on (logged), and so is the whole job after a minute; the answer is then false.
bool KillProcessesByPath(const std::wstring& exePath);
