// What the headless workflow tests share: a host that records what the workers tell the
// window, and readers of the install log.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "win/win_test_support.h"
#include "workflow/install_worker.h"

namespace workflow_test {

constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumetra";

// Removes the product's uninstall entry from the 32-bit view, where the installer keeps it.
inline void DeleteUninstallEntry() {
  HKEY parent = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", 0,
                    KEY_ALL_ACCESS | KEY_WOW64_32KEY, &parent) != ERROR_SUCCESS)
    return;
  RegDeleteTreeW(parent, L"Lumetra");
  RegCloseKey(parent);
}

class RecordingHost : public IInstallerHost {
 public:
  CInstallWorker& Worker() override { return worker; }
  void SetStage(int stage) override {
    std::lock_guard<std::mutex> lock(mutex_);
    stages_.push_back(stage);
  }
  void SetProgressPos(int position) override { progress = position; }
  void SetProgressTarget(int target) override { progressTarget = target; }
  void SetErrorTextId(int textId) override { errorTextId = textId; }
  void SetProgressCreep(bool on) override { progressCreep = on; }
  void DownloadFinished(bool ok) override { downloadOk = ok ? 1 : 0; }
  void Close() override { closed = true; }
  bool IsExitPromptOpen() const override { return exitPromptOpen != 0; }
  bool IsCancelled() const override { return cancelled != 0; }
  HostWindowRect WindowRect() const override { return {340, 120, 740, 820}; }
  std::wstring InstallFolder() const override { return installFolder; }
  std::wstring StartTime() const override { return L"\"05/03/2025 10:05:09\""; }

  std::vector<int> Stages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stages_;
  }
  int LastStage() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stages_.empty() ? -1 : stages_.back();
  }

  CInstallWorker worker;
  std::atomic<int> progress{-1};
  std::atomic<int> progressTarget{-1};
  std::atomic<int> errorTextId{0};
  std::atomic<bool> closed{false};
  std::atomic<bool> progressCreep{false};
  std::atomic<int> downloadOk{-1};
  std::atomic<int> exitPromptOpen{0};
  std::atomic<int> cancelled{0};
  std::wstring installFolder;

 private:
  mutable std::mutex mutex_;
  std::vector<int> stages_;
};

inline std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

inline std::string LogText() {
  return test_support::ReadFileBytes(test_support::RoamingFolder() + L"\\Lumetra\\Log\\Install.log");
}

// Counts occurrences of a whole log message.
inline int LogCount(const std::string& message) {
  const std::string log = LogText();
  int count = 0;
  for (size_t at = log.find(" - " + message + "\r\n"); at != std::string::npos;
       at = log.find(" - " + message + "\r\n", at + 1))
    ++count;
  return count;
}

// Where a whole log message first occurs at or after `from`; npos when it does not.
inline size_t LogFind(const std::string& message, size_t from = 0) {
  return LogText().find(" - " + message + "\r\n", from);
}

}  // namespace workflow_test
