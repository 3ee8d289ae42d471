#include "system/process.h"

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <set>

#include "base/unique_handle.h"
#include "system/install_log.h"
#include "system/program_command_line.h"

namespace {

constexpr DWORD kGraceMs = 3000;
// TerminateProcess only starts the end; give it this long to finish.
constexpr DWORD kTerminateWaitMs = 5000;
// A process that cannot be opened may just be ending: try a few times before giving up.
constexpr int kOpenAttempts = 10;
constexpr DWORD kOpenRetryMs = 100;
// However many processes of the name come and go, the job ends after this.
constexpr ULONGLONG kKillJobLimitMs = 60000;
// CreateProcess's answer for a program whose manifest asks for more rights than this
// process has (not named in every SDK's headers).
constexpr DWORD kErrorElevationRequired = 740;

bool SameExeName(const wchar_t* a, const std::wstring& b) {
  return CompareStringOrdinal(a, -1, b.c_str(), static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                            static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The full path of the program a process runs; empty when it cannot be asked.
std::wstring ImagePath(HANDLE process) {
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = MAX_PATH * 2;
  if (!QueryFullProcessImageNameW(process, 0, path, &size)) return std::wstring();
  return std::wstring(path, size);
}

// First process of the name in a fresh snapshot whose id is not in `skip`; 0 if none.
DWORD FindProcessIdExcept(const std::wstring& exeName, const std::set<DWORD>& skip) {
  if (exeName.empty()) return 0;
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.szExeFile[0] == L'\0' || !SameExeName(entry.szExeFile, exeName)) continue;
    if (skip.count(entry.th32ProcessID) == 0) return entry.th32ProcessID;
  }
  return 0;
}

// Starts the program through the shell; an invalid handle when it could not be started
// (or the shell handed none back, as for a document opened in a running program).
ScopedHandle StartThroughShell(int showCommand, const std::wstring& workingFolder,
                               const std::wstring& file, const std::wstring& parameters,
                               bool& started) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // No error box: callers run on worker threads and report a failed start themselves.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.lpDirectory = workingFolder.empty() ? nullptr : workingFolder.c_str();
  info.nShow = showCommand;
  started = ShellExecuteExW(&info) != FALSE;
  return ScopedHandle(started ? info.hProcess : nullptr);
}

// Starts exactly this program file, found by no search. A hidden program gets no console
// either: the extractor is a console program, and giving it a console of its own (as the
// shell does) costs more than the extraction of a small archive.
ScopedHandle StartProcess(int showCommand, const std::wstring& workingFolder,
                          const std::wstring& file, const std::wstring& parameters,
                          DWORD& error) {
  std::wstring commandLine = ProgramCommandLine(file, parameters);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  const DWORD flags = showCommand == SW_HIDE ? DETACHED_PROCESS : 0;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(file.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                      workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
    error = GetLastError();
    return ScopedHandle();
  }
  CloseHandle(info.hThread);
  error = ERROR_SUCCESS;
  return ScopedHandle(info.hProcess);
}

// A program given by its full path is started directly; anything else (and a program
// that asks for rights this process lacks) goes through the shell.
ScopedHandle Start(int showCommand, const std::wstring& workingFolder, const std::wstring& file,
                   const std::wstring& parameters, bool& started) {
  if (IsFullProgramPath(file)) {
    DWORD error = ERROR_SUCCESS;
    ScopedHandle process = StartProcess(showCommand, workingFolder, file, parameters, error);
    started = process.valid();
    if (started || error != kErrorElevationRequired) return process;
  }
  return StartThroughShell(showCommand, workingFolder, file, parameters, started);
}

}  // namespace

bool RunProgram(int showCommand, bool wait, const std::wstring& workingFolder,
                const std::wstring& file, const std::wstring& parameters) {
  bool started = false;
  ScopedHandle process = Start(showCommand, workingFolder, file, parameters, started);
  if (started && wait && process.valid()) WaitForSingleObject(process.get(), INFINITE);
  return started;
}

void StoppablePrograms::StopAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  stopped_ = true;
  for (HANDLE process : running_) TerminateProcess(process, 1);
}

bool StoppablePrograms::Lend(HANDLE process) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopped_) return false;
  running_.insert(process);
  return true;
}

void StoppablePrograms::Return(HANDLE process) {
  std::lock_guard<std::mutex> lock(mutex_);
  running_.erase(process);
}

std::optional<unsigned long> RunProgramForExitCode(int showCommand,
                                                   const std::wstring& workingFolder,
                                                   const std::wstring& file,
                                                   const std::wstring& parameters,
                                                   StoppablePrograms* stoppable) {
  bool started = false;
  ScopedHandle process = Start(showCommand, workingFolder, file, parameters, started);
  if (!process.valid()) return std::nullopt;
  if (stoppable && !stoppable->Lend(process.get())) TerminateProcess(process.get(), 1);
  const DWORD waited = WaitForSingleObject(process.get(), INFINITE);
  if (stoppable) stoppable->Return(process.get());
  if (waited != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(process.get(), &code)) return std::nullopt;
  return code;
}

bool IsProcessRunning(const std::wstring& exeName) { return FindProcessIdExcept(exeName, {}) != 0; }

unsigned long FindProcessId(const std::wstring& exeName) {
  return FindProcessIdExcept(exeName, {});
}

bool KillProcessesByPath(const std::wstring& exePath) {
  const std::wstring exeName = exePath.substr(exePath.find_last_of(L'\\') + 1);
  const ULONGLONG deadline = GetTickCount64() + kKillJobLimitMs;
  // Processes seen ending (an ended process may linger in the list while handles to it
  // stay open) and processes given up on; neither is looked at again.
  std::set<DWORD> done;
  size_t givenUp = 0;
  int failedOpens = 0;
  DWORD lastFailedId = 0;
  for (;;) {
    const DWORD id = FindProcessIdExcept(exeName, done);
    if (id == 0) break;
    if (GetTickCount64() >= deadline) {
      WriteInstallLog(L"Processes of %ls still running after %lu s, giving up", exePath.c_str(),
                      static_cast<unsigned long>(kKillJobLimitMs / 1000));
      return false;
    }
    ScopedHandle process(OpenProcess(
        SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process.valid()) {
      const DWORD error = GetLastError();
      failedOpens = (id == lastFailedId) ? failedOpens + 1 : 1;
      lastFailedId = id;
      if (failedOpens < kOpenAttempts) {
        Sleep(kOpenRetryMs);
        continue;
      }
      WriteInstallLog(L"Cannot open process %ls (id %lu, error %lu), giving up on it",
                      exeName.c_str(), static_cast<unsigned long>(id),
                      static_cast<unsigned long>(error));
      done.insert(id);
      ++givenUp;
      continue;
    }
    if (!SamePath(ImagePath(process.get()), exePath)) {
      done.insert(id);  // the same name elsewhere: another program, or another copy
      continue;
    }
    if (WaitForSingleObject(process.get(), kGraceMs) != WAIT_OBJECT_0) {
      TerminateProcess(process.get(), 1);
      if (WaitForSingleObject(process.get(), kTerminateWaitMs) != WAIT_OBJECT_0) {
        WriteInstallLog(L"Process %ls (id %lu) did not end when terminated, giving up on it",
                        exeName.c_str(), static_cast<unsigned long>(id));
        ++givenUp;
      }
    }
    done.insert(id);
  }
  return givenUp == 0;
}
