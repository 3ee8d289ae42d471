// What the download tests share: the local release server that the test run started
// (its port, its release folder, its request log) and a capture of the debugger traces
// the downloader writes.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "base/wide_string.h"
#include "system/folder_set.h"
#include "system/install_log.h"
#include "win/system_test_support.h"
#include "win/win_test_support.h"

namespace download_test {

using system_test::ScratchFolder;
using test_support::FromLinuxPath;
using test_support::ReadFileBytes;
using test_support::WriteFileBytes;

inline std::wstring ServerState() {
  const char* state = std::getenv("LUMETRA_RELEASE_SERVER_STATE");
  return state ? FromLinuxPath(state) : std::wstring();
}

// A file of the folder the release server serves.
inline std::wstring ReleaseFile(const std::wstring& name) {
  return ServerState() + L"\\release\\" + name;
}

// Bytes that differ at every offset of a chunk, so a misplaced block shows.
inline std::string PatternBytes(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  uint32_t state = seed * 2654435761u + 1;
  for (char& byte : bytes) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<char>(state >> 24);
  }
  return bytes;
}

// The running release server the test run started.
class ReleaseServer {
 public:
  bool Available() const { return port_ > 0; }

  // Requests() sees only what arrives after construction, so a test run twice against
  // one server reads its own requests.
  ReleaseServer() {
    state_ = ServerState();
    if (state_.empty()) return;
    port_ = std::atoi(ReadFileBytes(state_ + L"\\port").c_str());
    logMark_ = ReadFileBytes(state_ + L"\\requests.log").size();
  }

  int port() const { return port_; }
  std::wstring Url(const std::wstring& target) const {
    return FormatWide(L"http://127.0.0.1:%d%ls", port_, target.c_str());
  }
  // Puts a file into the served release folder; returns its bytes.
  // The path prefix that asks for faults. It carries this process's id, so a fault
  // taken "once" fires again in a later run against the same server.
  std::wstring Fault(const wchar_t* items) const {
    return FormatWide(L"/fault/%ls,tag=%lu", items, GetCurrentProcessId());
  }
  std::string Publish(const std::wstring& name, size_t size, uint32_t seed) const {
    std::string bytes = PatternBytes(size, seed);
    WriteFileBytes(ReleaseFile(name), bytes);
    return bytes;
  }
  // The request-log lines whose target ends with `suffix` ("<method> <target> <version>
  // range=<Range header or ->").
  std::vector<std::string> Requests(const std::string& suffix) const {
    std::vector<std::string> lines;
    const std::string all = ReadFileBytes(state_ + L"\\requests.log");
    std::istringstream log(all.size() > logMark_ ? all.substr(logMark_) : std::string());
    for (std::string line; std::getline(log, line);) {
      std::istringstream fields(line);
      std::string method, target;
      fields >> method >> target;
      if (target.size() >= suffix.size() &&
          target.compare(target.size() - suffix.size(), suffix.size(), suffix) == 0)
        lines.push_back(line);
    }
    return lines;
  }
  static std::string RangeOf(const std::string& line) {
    const size_t at = line.rfind(" range=");
    return at == std::string::npos ? std::string() : line.substr(at + 7);
  }

 private:
  std::wstring state_;
  int port_ = 0;
  size_t logMark_ = 0;
};

// A test that needs the server fails without it: skipped, it would pass unseen.
#define REQUIRE_RELEASE_SERVER(server)                                       \
  if (!(server).Available()) GTEST_FAIL() << "no release server in this run (ctest fixture release_server)"

inline uint64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return UINT64_MAX;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Collects what the process writes with OutputDebugString while it lives: the system
// raises those texts as exceptions, which a vectored handler sees before anyone else.
class TraceCapture {
 public:
  TraceCapture() {
    active_ = this;
    handler_ = AddVectoredExceptionHandler(1, &TraceCapture::Handler);
  }
  ~TraceCapture() {
    RemoveVectoredExceptionHandler(handler_);
    active_ = nullptr;
  }
  TraceCapture(const TraceCapture&) = delete;
  TraceCapture& operator=(const TraceCapture&) = delete;

  bool Contains(const std::wstring& text) const {
    for (const std::wstring& trace : traces_)
      if (trace.find(text) != std::wstring::npos) return true;
    return false;
  }
  const std::vector<std::wstring>& traces() const { return traces_; }

 private:
  static constexpr DWORD kNarrowText = 0x40010006;  // DBG_PRINTEXCEPTION_C
  static constexpr DWORD kWideText = 0x4001000A;    // DBG_PRINTEXCEPTION_WIDE_C

  static LONG CALLBACK Handler(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    if (!active_ || record->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    const size_t length = static_cast<size_t>(record->ExceptionInformation[0]);
    if (record->ExceptionCode == kWideText) {
      const wchar_t* text = reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]);
      active_->traces_.emplace_back(text, length ? length - 1 : 0);
    } else if (record->ExceptionCode == kNarrowText) {
      const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
      std::wstring wide;
      for (size_t i = 0; i + 1 < length; ++i) wide += static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
      active_->traces_.push_back(wide);
    }
    return EXCEPTION_CONTINUE_SEARCH;
  }

  static inline TraceCapture* active_ = nullptr;
  PVOID handler_ = nullptr;
  std::vector<std::wstring> traces_;
};

// Records every progress call; can cancel at a given call.
struct ProgressRecord {
  struct Call {
    int position;
    bool finished;
  };
  std::vector<Call> calls;
  size_t cancelAtCall = SIZE_MAX;  // 0-based index of the call that answers false

  static bool Callback(void* context, int position, bool finished) {
    auto* record = static_cast<ProgressRecord*>(context);
    record->calls.push_back({position, finished});
    return record->calls.size() - 1 != record->cancelAtCall;
  }
};

// Lines of the install log that hold `text`.
inline size_t InstallLogCount(const std::string& text) {
  std::istringstream log(ReadFileBytes(GetLogFolder() + L"\\Install.log"));
  size_t count = 0;
  for (std::string line; std::getline(log, line);)
    if (line.find(text) != std::string::npos) ++count;
  return count;
}

}  // namespace download_test
