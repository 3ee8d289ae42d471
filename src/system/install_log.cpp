#include "system/install_log.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdarg>
#include <ctime>

#include "base/product.h"
#include "base/unique_handle.h"
#include "base/wide_string.h"
#include "system/folder_set.h"
#include "system/log_line.h"

namespace {

// Every call opens the file for exclusive use, so a line never mixes with another
// thread's. A writer that finds the file held waits for its turn instead of dropping
// its line; the holder keeps it for one write, so this bound is never reached unless
// another program locks the file.
constexpr DWORD kMaxWaitForFileMs = 5000;

void AppendExclusively(const std::wstring& path, const std::string& bytes) {
  const ULONGLONG deadline = GetTickCount64() + kMaxWaitForFileMs;
  for (;;) {
    ScopedHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid()) {
      DWORD written = 0;
      WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
      return;
    }
    const DWORD error = GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) ||
        GetTickCount64() >= deadline)
      return;  // no rights, disk full...: this line is lost, the next call tries again
    Sleep(1);
  }
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

  AppendExclusively(GetLogFolder() + L"\\Install.log", bytes);
}
