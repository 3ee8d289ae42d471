// Folders only SYSTEM and Administrators can change, made for the elevated installer's
// work under a per-machine folder, and what is found in their place checked first.
#pragma once

#include <optional>
#include <string>

#include "system/admin_folder_rules.h"

// Makes <machineDataFolder>\Lumetra\Temp the working folder. Each of the two folders is
// used when it is admin-only; anything else standing there (a link, a file, a folder
// someone else owns or may write to) is moved aside (a link as itself, never followed; if
// that fails a link is removed), one log line each, and the folder made again with the
// admin-only descriptor. Where what stands there can be neither moved aside nor removed
// without following it, a fresh folder beside it is used instead (logged). Empty when no
// folder could be made. Where the file system keeps no descriptors, only links and files
// are moved aside.
std::wstring PrepareWorkingFolder(const std::wstring& machineDataFolder);

// Whether a folder made in `parent` with the admin-only descriptor reads it back (a probe
// folder made and removed again). False where the file system keeps no access lists: Wine
// turns them into Unix permission bits and reads back an owner and list of its own.
bool FolderDescriptorsKept(const std::wstring& parent);

// Owner and access list of what `path` opens; nothing when they cannot be read.
std::optional<FolderProtection> ReadProtection(const std::wstring& path);

// Owner and access list of the descriptor an SDDL text describes, read the way
// ReadProtection reads a file's; nothing when the text is not a descriptor.
std::optional<FolderProtection> ProtectionOfSddl(const std::wstring& sddl);
