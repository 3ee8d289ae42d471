// What the headless workflow tests share: a view that records what the workflow shows,
// the files that point the installer at the test run's release server, and readers of
// the install log that see only the lines of the running test.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "native/stage_printers.h"
#include "system/folder_set.h"
#include "win/win_test_support.h"
#include "workflow/workflow_view.h"

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

// Stands in for the window: notes the stages and failures shown, the progress and whether
// the run closed it, from whichever thread they come.
class RecordingView : public IWorkflowView {
 public:
  // A stage shown again while it shows changes nothing on the screen: noted once.
  void ShowStage(Stage stage) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stages_.empty() || stages_.back() != stage) stages_.push_back(stage);
  }
  void ShowFailure(Failure failure) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      failures_.push_back(failure);
    }
    ShowStage(Stage::kFailed);
  }
  void SetProgressPos(int position) override { progress = position; }
  void SetProgressTarget(int target) override { progressTarget = target; }
  void SetProgressCreep(bool on) override { progressCreep = on; }
  ViewRect Placement() const override { return {340, 120, 740, 820}; }
  void Close() override { closed = true; }

  // The stages in the order they showed.
  std::vector<Stage> Stages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stages_;
  }
  std::optional<Stage> LastStage() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stages_.empty() ? std::nullopt : std::optional<Stage>(stages_.back());
  }
  // Why the failed stage showed last; nothing when it never did.
  std::optional<Failure> LastFailure() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_.empty() ? std::nullopt : std::optional<Failure>(failures_.back());
  }

  std::atomic<int> progress{-1};
  std::atomic<int> progressTarget{-1};
  std::atomic<bool> closed{false};
  std::atomic<bool> progressCreep{false};

 private:
  mutable std::mutex mutex_;
  std::vector<Stage> stages_;
  std::vector<Failure> failures_;
};

// The start time the tests give a run, as the upgrader receives it.
constexpr wchar_t kTestStartTime[] = L"\"05/03/2025 10:05:09\"";

inline std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

// The test-server override file in the Downloads folder.
inline std::wstring OverrideFile() { return GetDownloadFolder() + L"\\TestServerForVexa.txt"; }

// Points the installer at the configuration `url`, connections timing out after `timeoutMs`.
inline void WriteOverride(const std::wstring& url, int timeoutMs) {
  test_support::WriteFileBytes(OverrideFile(), "{\r\n  \"ApplicationUpdate\": \"" + Narrow(url) +
                                                   "\",\r\n  \"WebConnectTimeout\": " +
                                                   std::to_string(timeoutMs) + "\r\n}\r\n");
}

// The local copy of the configuration that the installer takes instead of fetching one.
inline std::wstring LocalConfigCopy() { return GetAppDataFolder() + L"\\Package\\update_win.ini"; }

// The whole install log, whoever wrote it.
inline std::string WholeLog() {
  return test_support::ReadFileBytes(test_support::RoamingFolder() +
                                     L"\\Lumetra\\Log\\Install.log");
}

// Where the log stood when the running test (or case) began: the readers below see only
// what was written after it. A log removed meanwhile is read whole.
inline size_t& LogStart() {
  static size_t start = 0;
  return start;
}
inline void MarkLogStart() { LogStart() = WholeLog().size(); }

inline std::string LogText() {
  const std::string log = WholeLog();
  return log.size() >= LogStart() ? log.substr(LogStart()) : log;
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
