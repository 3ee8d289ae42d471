// Copying the unpacked package into the fresh folder that becomes the installation.
#include <windows.h>

#include "base/unique_handle.h"
#include "system/install_log.h"
#include "system/integration_paths.h"
#include "workflow/install_phase.h"

namespace {

// Copies the tree `from` into the empty folder `to`, counting the files; false at the first
// folder that cannot be listed or made, or file that cannot be copied. Nothing that exists
// is written into: every folder is made here and every file is new, so no link someone
// placed there can lead the copy elsewhere.
bool CopyTree(const std::wstring& from, const std::wstring& to, unsigned* files) {
  WIN32_FIND_DATAW found{};
  ScopedFindHandle find(FindFirstFileW(FolderSearchPattern(from).c_str(), &found));
  if (!find.valid()) {
    WriteInstallLog(L"CopytoInstallPath: %ls cannot be listed (error %lu)", from.c_str(),
                    GetLastError());
    return false;
  }
  const std::wstring fromPrefix = from.back() == L'\\' ? from : from + L"\\";
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring source = fromPrefix + name;
    const std::wstring target = to + L"\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!CreateDirectoryW(target.c_str(), nullptr)) {
        WriteInstallLog(L"CopytoInstallPath: %ls cannot be created (error %lu)", target.c_str(),
                        GetLastError());
        return false;
      }
      if (!CopyTree(source, target, files)) return false;
      continue;
    }
    if (!CopyFileW(source.c_str(), target.c_str(), TRUE)) {
      WriteInstallLog(L"CopytoInstallPath: %ls cannot be copied to %ls (error %lu)",
                      source.c_str(), target.c_str(), GetLastError());
      return false;
    }
    ++*files;
  } while (FindNextFileW(find.get(), &found));
  if (GetLastError() == ERROR_NO_MORE_FILES) return true;
  WriteInstallLog(L"CopytoInstallPath: %ls cannot be listed to its end (error %lu)", from.c_str(),
                  GetLastError());
  return false;
}

}  // namespace

bool CopytoInstallPath(const std::wstring& source, const std::wstring& target) {
  // An empty source would make the pattern "\*.*", the root of the current drive.
  if (source.empty() || target.empty()) {
    WriteInstallLog(L"CopytoInstallPath: no package folder or no install folder");
    return false;
  }
  unsigned files = 0;
  if (!CopyTree(source, target, &files)) return false;
  // A package without a single file is no product: it must not replace one.
  if (files == 0) {
    WriteInstallLog(L"CopytoInstallPath: the package folder %ls holds no file", source.c_str());
    return false;
  }
  return true;
}
