// What the Wine tests share about the machine: fixture programs, scratch folders inside
// the test run's root (reachable from Linux too), links, and started processes.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "base/unique_handle.h"
#include "system/admin_folder.h"
#include "system/folder_set.h"
#include "win/win_test_support.h"

namespace system_test {

using test_support::FromLinuxPath;
using test_support::WaitUntil;

inline std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// build/.../fixtures/<name>.exe
inline std::wstring FixturePath(const wchar_t* name) {
  return FromLinuxPath(EnvOrEmpty("LUMETRA_BUILD_DIR")) + L"\\fixtures\\" + name + L".exe";
}

inline bool RunLinuxCommand(const std::string& command, const std::wstring& done, DWORD ms);

// Whether the tests run under Wine rather than on Windows.
inline bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A test whose fixture could not be set up fails under Wine, where the test run provides
// everything it needs (skipped there, it would pass unseen), and is skipped only on a
// Windows machine that lacks it.
#define REQUIRE_FIXTURE(ready, what)                                         \
  if (!(ready)) {                                                            \
    if (system_test::RunningUnderWine()) GTEST_FAIL() << (what);             \
    GTEST_SKIP() << (what);                                                  \
  }

// Clean-up of scratch trees independent of the code under test. Under Wine a Linux
// symbolic link cannot be removed from the Windows side (and deleting through it hits
// the target), so the Linux side removes the tree; elsewhere the standard library does,
// read-only flags cleared first.
inline void RemoveTreeForTest(const std::wstring& folder, const std::string& linuxFolder) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (!fs::exists(fs::symlink_status(folder, error))) return;
  const std::wstring gone = folder + L".removed";
  DeleteFileW(gone.c_str());
  if (RunLinuxCommand("rm -rf '" + linuxFolder + "' && touch '" + linuxFolder + ".removed'", gone,
                      20000)) {
    DeleteFileW(gone.c_str());
    return;
  }
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error))
    SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  fs::remove_all(folder, error);
}

// A fresh, empty folder <test root>\h5-scratch\<name>; its Linux path in *linuxPath.
inline std::wstring ScratchFolder(const std::string& name, std::string* linuxPath = nullptr) {
  const std::string root = EnvOrEmpty("LUMETRA_TEST_ROOT");
  const std::string linux = (root.empty() ? std::string("/tmp") : root) + "/h5-scratch/" + name;
  if (linuxPath) *linuxPath = linux;
  const std::wstring folder = FromLinuxPath(linux);
  RemoveTreeForTest(folder, linux);
  CreateDirectoryW(FromLinuxPath(linux.substr(0, linux.rfind('/'))).c_str(), nullptr);
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

// <common application data>: the installer's working folder is <this>\Lumetra\Temp.
inline std::wstring MachineDataFolder() {
  wchar_t path[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, path, CSIDL_COMMON_APPDATA, FALSE);
  return path;
}

// Makes the working folder again as the installer does at start-up (an earlier test may
// have removed it, as every installation does); true when it is where the folder set says.
inline bool RemakeWorkingFolder() {
  return !GetTempFolder().empty() && PrepareWorkingFolder(MachineDataFolder()) == GetTempFolder();
}

// A process the test started itself, ended (if still running) when the test is done.
class StartedProcess {
 public:
  // Starts `exe` with `arguments` (the command line is "<exe>" arguments).
  StartedProcess(const std::wstring& exe, const std::wstring& arguments,
                 const std::wstring& workingFolder = std::wstring()) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
      process_.reset(info.hProcess);
      CloseHandle(info.hThread);
      id_ = info.dwProcessId;
    }
  }
  ~StartedProcess() {
    if (process_.valid() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT)
      TerminateProcess(process_.get(), 99);
  }
  bool started() const { return process_.valid(); }
  DWORD id() const { return id_; }
  bool WaitForEnd(DWORD ms) const {
    return WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0;
  }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }

 private:
  ScopedHandle process_;
  DWORD id_ = 0;
};

// Runs a Linux shell command (Wine starts Linux programs; use single quotes inside) and
// waits up to `ms` for `done` to exist. Wine cannot wait for such a process, so the
// command has to make `done` as its last step. False where no Linux shell is reachable.
inline bool RunLinuxCommand(const std::string& command, const std::wstring& done, DWORD ms) {
  if (GetFileAttributesW(L"Z:\\bin\\sh") == INVALID_FILE_ATTRIBUTES) return false;
  std::wstring commandLine = L"Z:\\bin\\sh -c \"";
  for (char c : command) commandLine += static_cast<wchar_t>(static_cast<unsigned char>(c));
  commandLine += L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  // No application name: Wine starts a Linux program only from the command line.
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return false;
  // For a Linux program Wine answers no process handle and a thread value that is not a
  // handle of ours: closing it could close some other open handle of the test.
  if (info.hProcess) {
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  return WaitUntil(ms, [&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

inline bool IsLink(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A link at `link` to `target` (a folder or a file): a Windows symbolic link where the
// platform makes one, else (under Wine) a symbolic link made from the Linux side, which
// Wine shows as a reparse point for a folder and as the file itself for a file. False
// when neither can be made.
inline bool MakeLink(const std::wstring& link, const std::string& linuxLink,
                     const std::wstring& target, const std::string& linuxTarget, bool folder) {
  CreateSymbolicLinkW(
      link.c_str(), target.c_str(),
      (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  if (IsLink(link)) return true;
  return RunLinuxCommand("ln -s '" + linuxTarget + "' '" + linuxLink + "'", link, 10000) &&
         (IsLink(link) || !folder);
}

}  // namespace system_test
