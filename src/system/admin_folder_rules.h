// What an admin-only folder's security looks like and what to do with a folder found
// where one should be. Platform-free: the Win32 side reads descriptors into these values
// and acts on the answers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline constexpr wchar_t kSystemSid[] = L"S-1-5-18";
inline constexpr wchar_t kAdministratorsSid[] = L"S-1-5-32-544";

// Access rights and entry flags as the platform defines them.
inline constexpr uint32_t kFileAllAccess = 0x001F01FF;
inline constexpr uint32_t kGenericAll = 0x10000000;
inline constexpr uint8_t kObjectInherit = 0x01;
inline constexpr uint8_t kContainerInherit = 0x02;
inline constexpr uint8_t kNoPropagateInherit = 0x04;
inline constexpr uint8_t kInheritOnly = 0x08;
inline constexpr uint8_t kInherited = 0x10;

enum class AccessKind { kAllow, kDeny, kOther };

struct AccessEntry {
  AccessKind kind = AccessKind::kOther;
  uint8_t flags = 0;
  uint32_t rights = 0;
  std::wstring sid;  // string form, "S-1-5-18"
  bool operator==(const AccessEntry&) const = default;
};

// Owner and access list of a file or folder.
struct FolderProtection {
  std::wstring owner;         // string SID; empty when there is none
  bool hasDacl = false;       // false: no list, everyone may do anything
  bool daclProtected = false; // true: nothing is inherited from the parent
  std::vector<AccessEntry> entries;
  bool operator==(const FolderProtection&) const = default;
};

// Owner Administrators; a list that inherits nothing, giving full access to SYSTEM and
// Administrators only, handed down to every file and folder below.
FolderProtection AdminOnlyProtection();

// The descriptor string (SDDL) of allow and deny entries; entries of other kinds are
// left out.
std::wstring ProtectionSddl(const FolderProtection& protection);

// True when only SYSTEM and Administrators can change the folder or anything made in it,
// both with full access: owned by one of them, a list of its own (none inherited, so a
// parent's later change cannot add anyone), no allow entry for anyone else, and no entry
// of a kind this check does not understand.
bool IsAdminOnly(const FolderProtection& protection);

// What stands at a folder's path, seen without following links.
struct FoundFolder {
  bool exists = false;
  bool isFolder = false;
  bool isLink = false;  // a reparse point, or an entry that opens something elsewhere
  std::optional<FolderProtection> protection;  // when it could be read
};

enum class FolderAction { kUse, kCreate, kMoveAside };

// A link or a file is never used; a folder is used when it is admin-only, or when the
// file system keeps no descriptors at all (`descriptorsKept` false: a folder made with
// ours does not read back admin-only either), since there every folder would fail the
// check and a partial download could never be resumed.
FolderAction DecideFolderAction(const FoundFolder& found, bool descriptorsKept);

// "<path>.moved-<tick>": where a folder that is not ours goes.
std::wstring MovedAsideName(const std::wstring& path, uint64_t tick);
// "<path>.<tick>": the folder used instead when what stands at `path` can be neither moved
// aside nor removed without following it.
std::wstring FreshBesideName(const std::wstring& path, uint64_t tick);
