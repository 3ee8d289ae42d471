// Copying the unpacked package into the install folder, waiting out files in use.
#include <windows.h>

#include "base/unique_handle.h"
#include "system/folder_tree.h"
#include "system/install_log.h"
#include "system/integration_paths.h"
#include "workflow/install_phase.h"

namespace {

constexpr DWORD kCopyRetryMs = 500;

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A link where a package file goes (under Wine, Linux links to files cannot be removed from
// the Windows side) is replaced as a name: the file is copied beside it and renamed over
// it, so what the link leads to is never written. Copying straight onto it would overwrite
// a file anywhere on the machine.
bool CopyOverLink(const std::wstring& from, const std::wstring& to) {
  const std::wstring beside = to + L".new";
  if (Exists(beside) && !LeadsElsewhere(beside)) DeleteFileW(beside.c_str());  // an earlier try's
  if (!CopyFileW(from.c_str(), beside.c_str(), TRUE)) return false;
  if (MoveFileExW(beside.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  DeleteFileW(beside.c_str());
  return false;
}

bool CopyPackageFile(const std::wstring& from, const std::wstring& to, bool overLink) {
  return overLink ? CopyOverLink(from, to) : CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

}  // namespace

bool CopytoInstallPath(RunContext& run, const std::wstring& source, const std::wstring& target) {
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
      if (LeadsElsewhere(to)) {
        // A folder link where a package folder goes: copying into it would write wherever
        // it leads, and under Wine it cannot be removed.
        WriteInstallLog(L"CopytoInstallPath: %ls is a link to another folder, not written through",
                        to.c_str());
        return false;
      }
      CreateDirectoryW(to.c_str(), nullptr);
      // A file missing deep down is as missing as one at the top.
      complete = CopytoInstallPath(run, from + name, to) && complete;
      continue;
    }
    const bool overLink = LeadsElsewhere(to);
    if (overLink)
      WriteInstallLog(L"CopytoInstallPath: %ls is a link, replaced by the file itself", to.c_str());
    if (!CopyPackageFile(from + name, to, overLink)) {
      // In use or no space: say so, and wait until the file can be replaced. The failed
      // stage lets the user leave; the copy then ends where it stands.
      WriteInstallLog(L"CopytoInstallPath: %ls cannot be replaced (error %lu), retrying",
                      to.c_str(), GetLastError());
      run.Fail(Failure::kDiskSpace);
      while (!CopyPackageFile(from + name, to, overLink)) {
        if (run.cancel.IsCancelled()) {
          WriteInstallLog(L"CopytoInstallPath: left by the user while %ls was in use", to.c_str());
          return false;
        }
        Sleep(kCopyRetryMs);
      }
      WriteInstallLog(L"CopytoInstallPath: %ls replaced", to.c_str());
      run.ShowProgress(60);
      run.view.ShowStage(Stage::kInstalling);
    }
    if (!Exists(to)) return false;
  } while (FindNextFileW(find.get(), &found));
  return complete;
}
