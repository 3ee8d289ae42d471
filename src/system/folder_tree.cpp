#include "system/folder_tree.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "base/path_util.h"
#include "base/product.h"
#include "base/unique_handle.h"
#include "system/integration_paths.h"

namespace {

// Junctions, symbolic links and the like are reparse points. The tree is removed by an
// elevated process in folders a user can write to, so such an entry is removed as
// itself and never walked into: it may lead anywhere on the machine.
bool IsLinkLike(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// A read-only file or folder cannot be deleted as it is; the tree is meant to go whole.
void ClearReadOnly(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

std::wstring WithoutTrailingBackslashes(std::wstring path) {
  while (path.size() > 1 && path.back() == L'\\') path.pop_back();
  return path;
}

std::wstring FinalPathOf(const std::wstring& path) {
  ScopedHandle opened(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return opened.valid() ? FinalPathOfHandle(opened.get()) : std::wstring();
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// "C:\a\b" → folder "C:\a", name "b"; "C:\b" → "C:\", "b". False for a bare name or root.
bool SplitEntry(const std::wstring& bare, std::wstring* folder, std::wstring* name) {
  const size_t slash = bare.find_last_of(L'\\');
  if (slash == std::wstring::npos || slash + 1 == bare.size()) return false;
  *folder = bare.substr(0, slash == 2 ? slash + 1 : slash);
  *name = bare.substr(slash + 1);
  return true;
}

// Whether the entry `name`, reached as `entry`, opens anything but itself inside the folder
// whose final path is `folderFinal`.
bool EntryLeadsElsewhere(const std::wstring& folderFinal, const std::wstring& entry,
                         const std::wstring& name) {
  if (folderFinal.empty()) return false;
  const std::wstring entryFinal = FinalPathOf(entry);
  if (entryFinal.empty()) return false;
  return !SamePath(entryFinal, WithoutTrailingBackslashes(folderFinal) + L"\\" + name);
}

void DeleteFolderEntries(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  ScopedFindHandle find(FindFirstFileW(FolderSearchPattern(folder).c_str(), &found));
  if (!find.valid()) return;
  const std::wstring prefix = WithoutTrailingBackslashes(folder) + L"\\";
  const std::wstring folderFinal = FinalPathOf(WithoutTrailingBackslashes(folder));
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring entry = prefix + name;
    const DWORD attributes = found.dwFileAttributes;
    if (IsLinkLike(attributes)) {
      RemoveLink(entry);
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      DeleteFolderTree(entry);
    } else if (EntryLeadsElsewhere(folderFinal, entry, name)) {
      // A link shown as a plain file: deleting it there deletes what it leads to. Both stay.
    } else {
      ClearReadOnly(entry, attributes);
      DeleteFileW(entry.c_str());
    }
  } while (FindNextFileW(find.get(), &found));
}

}  // namespace

std::wstring FinalPathOfHandle(HANDLE opened) {
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(opened, final.data(),
                                           static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
  if (length >= final.size()) {
    final.resize(length);
    length = GetFinalPathNameByHandleW(opened, final.data(), static_cast<DWORD>(final.size()),
                                       FILE_NAME_NORMALIZED);
  }
  if (length == 0 || length >= final.size()) return {};
  final.resize(length);
  return final;
}

bool IsInUseError(unsigned long error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

bool LeadsElsewhere(const std::wstring& path) {
  const std::wstring bare = WithoutTrailingBackslashes(path);
  std::wstring folder, name;
  if (!SplitEntry(bare, &folder, &name)) return false;
  if (GetFileAttributesW(bare.c_str()) == INVALID_FILE_ATTRIBUTES) return false;  // nothing there
  return EntryLeadsElsewhere(FinalPathOf(folder), bare, name);
}

bool OpensEntryItself(HANDLE opened, const std::wstring& path) {
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(opened, FileAttributeTagInfo, &tag, sizeof(tag))) return false;
  if (IsLinkLike(tag.FileAttributes)) return true;
  const std::wstring bare = WithoutTrailingBackslashes(path);
  std::wstring folder, name;
  if (!SplitEntry(bare, &folder, &name)) return false;
  const std::wstring folderFinal = FinalPathOf(folder);
  const std::wstring openedFinal = FinalPathOfHandle(opened);
  return !folderFinal.empty() && !openedFinal.empty() &&
         SamePath(openedFinal, WithoutTrailingBackslashes(folderFinal) + L"\\" + name);
}

bool RemoveLink(const std::wstring& path) {
  ScopedHandle link(
      CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!link.valid()) return false;
  FILE_ATTRIBUTE_TAG_INFO opened{};
  if (!GetFileInformationByHandleEx(link.get(), FileAttributeTagInfo, &opened, sizeof(opened)) ||
      !IsLinkLike(opened.FileAttributes))
    return false;
  FILE_DISPOSITION_INFO dispose{};
  dispose.DeleteFile = TRUE;
  return SetFileInformationByHandle(link.get(), FileDispositionInfo, &dispose, sizeof(dispose)) !=
         FALSE;
}

void DeleteFolderTree(const std::wstring& path) {
  if (IsTooShortToDeleteAsTree(path)) return;
  const std::wstring bare = WithoutTrailingBackslashes(path);
  const DWORD attributes = GetFileAttributesW(bare.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && IsLinkLike(attributes)) {
    RemoveLink(bare);
    return;
  }
  DeleteFolderEntries(path);
  if (attributes != INVALID_FILE_ATTRIBUTES) ClearReadOnly(bare, attributes);
  RemoveDirectoryW(path.c_str());
}

bool HasLinkBelow(const std::wstring& base, const std::wstring& path) {
  const std::wstring bareBase = WithoutTrailingBackslashes(base);
  std::vector<std::wstring> folders = PrefixesBeforeBackslashes(path);
  folders.push_back(WithoutTrailingBackslashes(path));
  for (const std::wstring& folder : folders) {
    if (folder.size() <= bareBase.size()) continue;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;  // nothing made yet from here on
    if (IsLinkLike(attributes) || LeadsElsewhere(folder)) return true;
  }
  return false;
}

bool HoldsProduct(const std::wstring& folder) {
  if (folder.empty()) return false;
  const std::wstring exe = WithoutTrailingBackslashes(folder) + L"\\" + kProductExeName;
  const DWORD attributes = GetFileAttributesW(exe.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
         !LeadsElsewhere(exe);
}

bool IsProductFolder(const std::wstring& folder) {
  return IsNamedLikeProductFolder(folder) && HoldsProduct(folder);
}

void RemoveLeftover(const std::wstring& path) {
  if (LeadsElsewhere(path)) {
    RemoveLink(WithoutTrailingBackslashes(path));
    return;
  }
  DeleteFolderTree(path);
}

std::wstring FindFileInUse(const std::wstring& folder, unsigned long* error) {
  WIN32_FIND_DATAW found{};
  ScopedFindHandle find(FindFirstFileW(FolderSearchPattern(folder).c_str(), &found));
  if (!find.valid()) return {};
  const std::wstring prefix = WithoutTrailingBackslashes(folder) + L"\\";
  const std::wstring folderFinal = FinalPathOf(WithoutTrailingBackslashes(folder));
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L".." || IsLinkLike(found.dwFileAttributes)) continue;
    const std::wstring entry = prefix + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      std::wstring held = FindFileInUse(entry, error);
      if (!held.empty()) return held;
      continue;
    }
    if (EntryLeadsElsewhere(folderFinal, entry, name)) continue;
    // Removing or renaming needs delete access; a holder that does not share it refuses it.
    ScopedHandle probe(CreateFileW(entry.c_str(), DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    const DWORD refused = probe.valid() ? ERROR_SUCCESS : GetLastError();
    if (IsInUseError(refused)) {
      *error = refused;
      return entry;
    }
  } while (FindNextFileW(find.get(), &found));
  return {};
}

bool DeleteFolderTreeWithin(const std::wstring& path, unsigned timeoutMs) {
  constexpr unsigned kPollMs = 100;
  for (unsigned waited = 0;; waited += kPollMs) {
    DeleteFolderTree(path);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    if (waited >= timeoutMs) return false;
    Sleep(kPollMs);
  }
}

std::wstring RemoveMakerAppDataFolder() {
  wchar_t roaming[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, roaming, CSIDL_APPDATA, FALSE)) roaming[0] = L'\0';
  const std::wstring folder = MakerAppDataFolder(roaming);
  DeleteFolderTree(folder);
  return folder;
}
