#include "workflow/install_folder_swap.h"

#include <windows.h>

#include "system/folder_set.h"
#include "system/folder_tree.h"
#include "system/install_log.h"

namespace {

constexpr DWORD kSwapRetryMs = 500;

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsPlainFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !LeadsElsewhere(path);
}

// A rename that never replaces what stands at `to`.
bool Rename(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(from.c_str(), to.c_str(), 0) != FALSE;
}

bool RenameLogged(const std::wstring& from, const std::wstring& to) {
  if (Rename(from, to)) return true;
  WriteInstallLog(L"CopytoInstallPath: %ls cannot be moved to %ls (error %lu)", from.c_str(),
                  to.c_str(), GetLastError());
  return false;
}

// Removes what an earlier run left at `path`; true when nothing is there any more. The
// installer runs elevated and the parent may be a folder the user can write to: a link
// there is removed as a link, and never written through.
bool ClearLeftover(const std::wstring& path) {
  if (!Exists(path)) return true;
  if (LeadsElsewhere(path))
    WriteInstallLog(L"CopytoInstallPath: %ls is a link; only the link is removed", path.c_str());
  else
    WriteInstallLog(L"CopytoInstallPath: %ls is left from an earlier run, removed", path.c_str());
  RemoveLeftover(path);
  if (!Exists(path)) return true;
  WriteInstallLog(L"CopytoInstallPath: %ls cannot be removed", path.c_str());
  return false;
}

}  // namespace

StagedInstallation::StagedInstallation(const std::wstring& installFolder)
    : paths_(SwapPathsFor(installFolder)) {}

StagedInstallation::~StagedInstallation() {
  if (created_ && !swapped_) DeleteFolderTree(paths_.fresh);
}

bool StagedInstallation::Prepare() {
  if (paths_.fresh.empty()) {
    WriteInstallLog(L"CopytoInstallPath: no folder holds the install folder");
    return false;
  }
  PutBackInterruptedSwap();
  if (!ClearLeftover(paths_.fresh)) return false;
  // Created here and now, so nothing that was there before is written into.
  if (!CreateFolderPath(paths_.parent) || !CreateDirectoryW(paths_.fresh.c_str(), nullptr)) {
    WriteInstallLog(L"Install folder cannot be created: %ls", paths_.fresh.c_str());
    return false;
  }
  created_ = true;
  return true;
}

// An update cut off between its two renames left the previous installation aside and
// nothing in its place: that installation is the one to keep until a new one is complete.
void StagedInstallation::PutBackInterruptedSwap() {
  if (Exists(paths_.installed) || !IsPlainFolder(paths_.aside)) return;
  if (Rename(paths_.aside, paths_.installed))
    WriteInstallLog(L"CopytoInstallPath: the previous installation is put back from %ls",
                    paths_.aside.c_str());
}

StagedInstallation::Move StagedInstallation::TryMoveAside(std::wstring* heldPath,
                                                          unsigned long* error) const {
  // Windows refuses to rename a folder while a file in it is open; Wine renames it, and
  // the open file goes with it. Looking at the files first makes both wait for it.
  *heldPath = FindFileInUse(paths_.installed, error);
  if (!heldPath->empty()) return Move::kInUse;
  if (Rename(paths_.installed, paths_.aside)) return Move::kDone;
  *error = GetLastError();
  *heldPath = paths_.installed;
  return IsInUseError(*error) ? Move::kInUse : Move::kRefused;
}

bool StagedInstallation::MoveAsideWhenFree(RunContext& run, std::wstring* waitedFor) {
  std::wstring held;
  unsigned long error = 0;
  Move move = TryMoveAside(&held, &error);
  if (move == Move::kInUse) {
    // In use: say so, and wait until it is free. The failed stage lets the user leave; the
    // previous installation then stays.
    WriteInstallLog(L"CopytoInstallPath: %ls cannot be replaced (error %lu), retrying",
                    held.c_str(), error);
    run.Fail(Failure::kDiskSpace);
    *waitedFor = held;
    const ULONGLONG started = GetTickCount64();
    while ((move = TryMoveAside(&held, &error)) == Move::kInUse) {
      if (run.cancel.IsCancelled()) {
        WriteInstallLog(L"CopytoInstallPath: left by the user while %ls was in use", held.c_str());
        return false;
      }
      if (GetTickCount64() - started >= run.cancel.waitLimitMs()) {
        WriteInstallLog(L"CopytoInstallPath: %ls still in use after %lu s, giving up",
                        held.c_str(), static_cast<unsigned long>(run.cancel.waitLimitMs() / 1000));
        run.cancel.GiveUpWaiting();
        return false;
      }
      Sleep(kSwapRetryMs);
    }
    if (move == Move::kDone) {
      run.ShowProgress(60);
      run.view.ShowStage(Stage::kInstalling);
    }
  }
  if (move == Move::kRefused) {
    WriteInstallLog(L"CopytoInstallPath: %ls cannot be moved to %ls (error %lu)",
                    paths_.installed.c_str(), paths_.aside.c_str(), error);
    return false;
  }
  return true;
}

// A folder in the install folder's place that holds no product (a registration or a
// choice that named someone's own folder) is never removed: an empty one goes, anything
// else is kept aside under a name of its own, and the installation proceeds as a first one.
bool StagedInstallation::KeepAsideForeignFolder() const {
  if (!Exists(paths_.installed) || IsProductFolder(paths_.installed)) return true;
  if (RemoveDirectoryW(paths_.installed.c_str())) return true;
  const std::wstring kept = paths_.installed + L".kept-" + std::to_wstring(GetTickCount64());
  if (!RenameLogged(paths_.installed, kept)) return false;
  WriteInstallLog(L"CopytoInstallPath: %ls holds no product, kept aside as %ls",
                  paths_.installed.c_str(), kept.c_str());
  return true;
}

bool StagedInstallation::SwapIn(RunContext& run) {
  if (!created_ || !KeepAsideForeignFolder()) return false;
  if (!Exists(paths_.installed)) {  // a first installation
    swapped_ = RenameLogged(paths_.fresh, paths_.installed);
    return swapped_;
  }
  if (!ClearLeftover(paths_.aside)) return false;
  std::wstring waitedFor;
  if (!MoveAsideWhenFree(run, &waitedFor)) return false;
  if (!RenameLogged(paths_.fresh, paths_.installed)) {
    if (!Rename(paths_.aside, paths_.installed))  // the next run puts it back
      WriteInstallLog(L"CopytoInstallPath: the previous installation stays at %ls (error %lu)",
                      paths_.aside.c_str(), GetLastError());
    return false;
  }
  swapped_ = true;
  if (!waitedFor.empty())
    WriteInstallLog(L"CopytoInstallPath: %ls replaced", waitedFor.c_str());
  RemovePrevious();
  return true;
}

void StagedInstallation::RemovePrevious() const {
  RemoveLeftover(paths_.aside);
  // What stays (a file opened meanwhile) is a leftover the next update removes first.
  if (Exists(paths_.aside))
    WriteInstallLog(L"CopytoInstallPath: the previous installation is not wholly removed: %ls",
                    paths_.aside.c_str());
}
