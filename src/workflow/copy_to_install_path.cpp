// Copying the unpacked package into the install folder, waiting out files in use.
#include <windows.h>

#include "base/unique_handle.h"
#include "resource_ids.h"
#include "system/install_log.h"
#include "system/integration_paths.h"
#include "workflow/install_worker.h"

namespace {

constexpr DWORD kCopyRetryMs = 500;

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool CInstallWorker::CopytoInstallPath(const std::wstring& source, const std::wstring& target,
                                       IInstallerHost& dialog) {
  // An empty source would make the pattern "\*.*", the root of the current drive.
  if (source.empty() || target.empty()) {
    WriteInstallLog(L"CopytoInstallPath: no package folder or no install folder");
    return false;
  }
  WIN32_FIND_DATAW found{};
  ScopedFindHandle find(FindFirstFileW(FolderSearchPattern(source).c_str(), &found));
  if (!find.valid()) return true;
  const std::wstring from = source.back() == L'\\' ? source : source + L"\\";
  bool complete = true;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring to = target + L"\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      CreateDirectoryW(to.c_str(), nullptr);
      // A file missing deep down is as missing as one at the top.
      complete = CopytoInstallPath(from + name, to, dialog) && complete;
      continue;
    }
    if (!CopyFileW((from + name).c_str(), to.c_str(), FALSE)) {
      // In use or no space: say so, and wait until the file can be replaced.
      WriteInstallLog(L"CopytoInstallPath: %ls cannot be replaced (error %lu), retrying",
                      to.c_str(), GetLastError());
      dialog.SetErrorTextId(IDS_DISK_SPACE_FAILED);
      dialog.SetStage(kStageFailed);
      while (!CopyFileW((from + name).c_str(), to.c_str(), FALSE)) Sleep(kCopyRetryMs);
      WriteInstallLog(L"CopytoInstallPath: %ls replaced", to.c_str());
      if (!dialog.IsExitPromptOpen()) dialog.SetProgressPos(60);
      dialog.SetStage(kStageInstalling);
    }
    if (!Exists(to)) return false;
  } while (FindNextFileW(find.get(), &found));
  return complete;
}
