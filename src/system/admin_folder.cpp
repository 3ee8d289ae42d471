#include "system/admin_folder.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "base/product.h"
#include "base/unique_handle.h"
#include "system/folder_tree.h"
#include "system/install_log.h"

namespace {

constexpr wchar_t kWorkingFolderName[] = L"Temp";
// Looks at a folder again after each step: a step that did not settle it (something
// appeared in between, a fresh folder read back wrong) gets a few more turns, not forever.
constexpr int kSettleRounds = 4;

std::wstring SidText(PSID sid) {
  ScopedLocalString text;
  if (sid == nullptr || !ConvertSidToStringSidW(sid, text.receive())) return std::wstring();
  return text.get();
}

FolderProtection ProtectionOf(PSECURITY_DESCRIPTOR descriptor) {
  FolderProtection protection;
  PSID owner = nullptr;
  BOOL ownerDefaulted = FALSE;
  if (GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted))
    protection.owner = SidText(owner);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (GetSecurityDescriptorControl(descriptor, &control, &revision))
    protection.daclProtected = (control & SE_DACL_PROTECTED) != 0;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  // A missing list and a null one both let everyone in: neither counts as a list.
  if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present ||
      dacl == nullptr)
    return protection;
  protection.hasDacl = true;
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    AccessEntry entry;
    void* ace = nullptr;
    if (GetAce(dacl, index, &ace)) {
      const auto* header = static_cast<const ACE_HEADER*>(ace);
      entry.flags = header->AceFlags;
      if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
        // Both kinds share one layout: header, rights, SID.
        auto* plain = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        entry.kind = header->AceType == ACCESS_ALLOWED_ACE_TYPE ? AccessKind::kAllow
                                                                : AccessKind::kDeny;
        entry.rights = plain->Mask;
        entry.sid = SidText(&plain->SidStart);
      }
    }
    protection.entries.push_back(std::move(entry));
  }
  return protection;
}

ScopedLocalDescriptor DescriptorOfSddl(const std::wstring& sddl) {
  ScopedLocalDescriptor descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                            descriptor.receive(), nullptr))
    descriptor.reset();
  return descriptor;
}

// Creates exactly this folder (never one a link leads to: an existing entry of any kind
// fails with ERROR_ALREADY_EXISTS) with the admin-only descriptor. The platform's error.
DWORD MakeAdminOnlyFolder(const std::wstring& path) {
  const ScopedLocalDescriptor descriptor = DescriptorOfSddl(ProtectionSddl(AdminOnlyProtection()));
  if (!descriptor.valid()) return ERROR_INVALID_SECURITY_DESCR;
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.get(), FALSE};
  return CreateDirectoryW(path.c_str(), &attributes) ? ERROR_SUCCESS : GetLastError();
}

FoundFolder Inspect(const std::wstring& path, bool descriptorsKept) {
  FoundFolder found;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    // Something that cannot even be looked at counts as there, and as no folder of ours.
    found.exists = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    return found;
  }
  found.exists = true;
  found.isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  found.isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || LeadsElsewhere(path);
  if (descriptorsKept && found.isFolder && !found.isLink) found.protection = ReadProtection(path);
  return found;
}

// Renames the entry at `path` beside itself, through a handle that is that entry: Wine
// renames a Linux link's target through any handle or path, so such a link stays.
bool MoveAside(const std::wstring& path) {
  ScopedHandle entry(
      CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!entry.valid() || !OpensEntryItself(entry.get(), path)) return false;
  const std::wstring aside = MovedAsideName(path, GetTickCount64());
  // The rename takes the platform's own form of a full path.
  const std::wstring target = L"\\??\\" + aside;
  std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = FALSE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  target.copy(rename->FileName, target.size());
  if (!SetFileInformationByHandle(entry.get(), FileRenameInfo, rename,
                                  static_cast<DWORD>(buffer.size())))
    return false;
  WriteInstallLog(L"Folder moved aside: %ls -> %ls", path.c_str(), aside.c_str());
  return true;
}

// Leaves an admin-only folder at `path`: found, made, or made after moving aside what
// stood there. False when that cannot be done.
bool SettleFolder(const std::wstring& path, bool descriptorsKept) {
  for (int round = 0; round < kSettleRounds; ++round) {
    switch (DecideFolderAction(Inspect(path, descriptorsKept), descriptorsKept)) {
      case FolderAction::kUse:
        return true;
      case FolderAction::kCreate: {
        // Something that appeared meanwhile, or that the platform does not show (Wine's
        // dangling link), fails the creation: the next round judges what is there.
        const DWORD error = MakeAdminOnlyFolder(path);
        if (error != ERROR_SUCCESS && error != ERROR_ALREADY_EXISTS) {
          WriteInstallLog(L"Folder cannot be made: %ls (error %lu)", path.c_str(), error);
          return false;
        }
        break;
      }
      case FolderAction::kMoveAside:
        if (MoveAside(path)) break;
        if (RemoveLink(path)) {
          WriteInstallLog(L"Link removed: %ls", path.c_str());
          break;
        }
        return false;
    }
  }
  return false;
}

std::wstring EnsureAdminOnlyFolder(const std::wstring& path, bool descriptorsKept) {
  if (SettleFolder(path, descriptorsKept)) return path;
  const std::wstring beside = FreshBesideName(path, GetTickCount64());
  WriteInstallLog(L"Folder cannot be moved aside, using %ls instead: %ls", beside.c_str(),
                  path.c_str());
  return SettleFolder(beside, descriptorsKept) ? beside : std::wstring();
}

}  // namespace

std::optional<FolderProtection> ReadProtection(const std::wstring& path) {
  ScopedLocalDescriptor descriptor;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, nullptr, nullptr, descriptor.receive()) != ERROR_SUCCESS ||
      !descriptor.valid())
    return std::nullopt;
  return ProtectionOf(descriptor.get());
}

std::optional<FolderProtection> ProtectionOfSddl(const std::wstring& sddl) {
  const ScopedLocalDescriptor descriptor = DescriptorOfSddl(sddl);
  if (!descriptor.valid()) return std::nullopt;
  return ProtectionOf(descriptor.get());
}

bool FolderDescriptorsKept(const std::wstring& parent) {
  const std::wstring probe = parent + L"\\" + kProductName + L".probe-" +
                             std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(GetTickCount64());
  // Without a probe nothing can be told: every folder is checked in full.
  if (MakeAdminOnlyFolder(probe) != ERROR_SUCCESS) return true;
  const std::optional<FolderProtection> readBack = ReadProtection(probe);
  RemoveDirectoryW(probe.c_str());
  return readBack && IsAdminOnly(*readBack);
}

std::wstring PrepareWorkingFolder(const std::wstring& machineDataFolder) {
  if (machineDataFolder.empty()) return std::wstring();
  const bool descriptorsKept = FolderDescriptorsKept(machineDataFolder);
  if (!descriptorsKept)
    WriteInstallLog(L"Access lists are not kept under %ls, only links are checked",
                    machineDataFolder.c_str());
  const std::wstring productFolder =
      EnsureAdminOnlyFolder(machineDataFolder + L"\\" + kProductName, descriptorsKept);
  if (productFolder.empty()) return std::wstring();
  return EnsureAdminOnlyFolder(productFolder + L"\\" + kWorkingFolderName, descriptorsKept);
}
