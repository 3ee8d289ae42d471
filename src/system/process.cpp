#include "system/process.h"

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include "base/unique_handle.h"

namespace {

bool SameExeName(const wchar_t* a, const std::wstring& b) {
  return CompareStringOrdinal(a, -1, b.c_str(), static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

bool RunProgram(int showCommand, bool wait, const std::wstring& workingFolder,
                const std::wstring& file, const std::wstring& parameters) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = workingFolder.c_str();
  info.nShow = showCommand;
  const bool started = ShellExecuteExW(&info) != FALSE;
  ScopedHandle process(info.hProcess);
  if (started && wait && process.valid()) WaitForSingleObject(process.get(), INFINITE);
  return started;
}

bool IsProcessRunning(const std::wstring& exeName) {
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (SameExeName(entry.szExeFile, exeName)) return true;
  }
  return false;
}
