#include "system/admin_folder_rules.h"

#include <algorithm>

#include "base/wide_string.h"

namespace {

bool IsSystemOrAdministrators(const std::wstring& sid) {
  return sid == kSystemSid || sid == kAdministratorsSid;
}

bool GrantsAll(uint32_t rights) {
  return (rights & kGenericAll) != 0 || (rights & kFileAllAccess) == kFileAllAccess;
}

// Full access on the folder itself, and handed down to files and folders made in it.
bool GrantsFullAccess(const FolderProtection& protection, const wchar_t* sid) {
  bool onFolder = false;
  bool handedDown = false;
  for (const AccessEntry& entry : protection.entries) {
    if (entry.kind != AccessKind::kAllow || entry.sid != sid || !GrantsAll(entry.rights))
      continue;
    onFolder = onFolder || (entry.flags & kInheritOnly) == 0;
    const uint8_t both = kObjectInherit | kContainerInherit;
    handedDown = handedDown || (entry.flags & both) == both;
  }
  return onFolder && handedDown;
}

std::wstring EntryFlagsSddl(uint8_t flags) {
  std::wstring text;
  if (flags & kObjectInherit) text += L"OI";
  if (flags & kContainerInherit) text += L"CI";
  if (flags & kNoPropagateInherit) text += L"NP";
  if (flags & kInheritOnly) text += L"IO";
  if (flags & kInherited) text += L"ID";
  return text;
}

}  // namespace

FolderProtection AdminOnlyProtection() {
  const uint8_t handedDown = kObjectInherit | kContainerInherit;
  return FolderProtection{
      .owner = kAdministratorsSid,
      .hasDacl = true,
      .daclProtected = true,
      .entries = {{AccessKind::kAllow, handedDown, kFileAllAccess, kSystemSid},
                  {AccessKind::kAllow, handedDown, kFileAllAccess, kAdministratorsSid}},
  };
}

std::wstring ProtectionSddl(const FolderProtection& protection) {
  std::wstring text;
  if (!protection.owner.empty()) text += L"O:" + protection.owner;
  if (!protection.hasDacl) return text;
  text += protection.daclProtected ? L"D:P" : L"D:";
  for (const AccessEntry& entry : protection.entries) {
    if (entry.kind == AccessKind::kOther) continue;
    text += FormatWide(L"(%ls;%ls;0x%lx;;;%ls)", entry.kind == AccessKind::kAllow ? L"A" : L"D",
                       EntryFlagsSddl(entry.flags).c_str(),
                       static_cast<unsigned long>(entry.rights), entry.sid.c_str());
  }
  return text;
}

bool IsAdminOnly(const FolderProtection& protection) {
  if (!IsSystemOrAdministrators(protection.owner) || !protection.hasDacl ||
      !protection.daclProtected)
    return false;
  // A deny entry only takes rights away; anyone else allowed anything could plant files.
  const bool othersKeptOut =
      std::all_of(protection.entries.begin(), protection.entries.end(), [](const AccessEntry& e) {
        return e.kind == AccessKind::kDeny ||
               (e.kind == AccessKind::kAllow && IsSystemOrAdministrators(e.sid));
      });
  return othersKeptOut && GrantsFullAccess(protection, kSystemSid) &&
         GrantsFullAccess(protection, kAdministratorsSid);
}

FolderAction DecideFolderAction(const FoundFolder& found, bool descriptorsKept) {
  if (!found.exists) return FolderAction::kCreate;
  if (found.isLink || !found.isFolder) return FolderAction::kMoveAside;
  if (!descriptorsKept) return FolderAction::kUse;
  return found.protection && IsAdminOnly(*found.protection) ? FolderAction::kUse
                                                            : FolderAction::kMoveAside;
}

std::wstring MovedAsideName(const std::wstring& path, uint64_t tick) {
  return path + L".moved-" + std::to_wstring(tick);
}

std::wstring FreshBesideName(const std::wstring& path, uint64_t tick) {
  return path + L"." + std::to_wstring(tick);
}
