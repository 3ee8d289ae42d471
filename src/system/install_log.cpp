#include "system/install_log.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdarg>
#include <ctime>
#include <mutex>
#include <string>

#include "base/product.h"
#include "base/unique_handle.h"
#include "base/wide_string.h"
#include "system/folder_set.h"
#include "system/log_line.h"

namespace {

// A line is written through a handle that lets others read the file at the same time (a
// person following the log in a viewer, a scanner), but no one else write to it, so
// lines of two writers never mix. Writers of this process take turns on a mutex first;
// another process writing the file holds it for one line.
constexpr DWORD kShareWhileWriting = FILE_SHARE_READ;
// How long a line waits for a file held by someone else before it is kept back.
constexpr DWORD kMaxWaitForFileMs = 200;
// What is kept back while the file stays held; older lines go first once it frees up.
constexpr size_t kMaxHeldBackBytes = 1 << 20;

std::mutex& WriterMutex() {
  static std::mutex mutex;
  return mutex;
}
std::string heldBack;  // lines not yet written, oldest first; guarded by WriterMutex()

bool IsHeldByOthers(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// One open and write. False when the file is held by someone else; any other failure
// (no rights, disk full) loses the bytes, as a line that cannot be written is lost. A
// log folder removed meanwhile is made again.
bool TryAppend(const std::wstring& folder, const std::wstring& path, const std::string& bytes) {
  ScopedHandle file;
  for (int attempt = 0; attempt < 2 && !file.valid(); ++attempt) {
    file.reset(CreateFileW(path.c_str(), FILE_APPEND_DATA, kShareWhileWriting, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() && GetLastError() != ERROR_PATH_NOT_FOUND) break;
    if (!file.valid()) CreateFolderPath(folder);
  }
  if (!file.valid()) return !IsHeldByOthers(GetLastError());
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  return true;
}

// The log folder, found once per run: finding it asks the shell and makes every folder
// of the path, too much for a line per downloaded chunk. Guarded by WriterMutex().
const std::wstring& LogFolder() {
  static const std::wstring folder = GetLogFolder();
  return folder;
}

// While lines are held back the file was found held already: one attempt only, so a
// log held for minutes costs each line one failed open, never a wait.
void Append(const std::string& line) {
  std::lock_guard<std::mutex> lock(WriterMutex());
  const std::wstring& folder = LogFolder();
  const std::wstring path = folder + L"\\Install.log";
  const bool mayWait = heldBack.empty();
  std::string bytes = heldBack + line;
  const ULONGLONG deadline = GetTickCount64() + kMaxWaitForFileMs;
  for (;;) {
    if (TryAppend(folder, path, bytes)) {
      heldBack.clear();
      return;
    }
    if (!mayWait || GetTickCount64() >= deadline) break;
    Sleep(1);
  }
  if (bytes.size() <= kMaxHeldBackBytes) heldBack = std::move(bytes);
}

}  // namespace

std::wstring GetLogFolder() {
  wchar_t roaming[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, roaming, CSIDL_APPDATA, FALSE)) roaming[0] = L'\0';
  std::wstring folder = FormatWide(L"%ls\\%ls\\Log", roaming, kProductName);
  CreateFolderPath(folder);
  return folder;
}

void WriteInstallLog(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const std::wstring message = FormatWideV(format, args);
  va_end(args);

  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  const std::string bytes = EncodeLogBytes(ComposeLogLine(FormatLogTimestamp(local), message));

  Append(bytes);
}
