// Files the elevated installer writes or deletes by name in folders the user can write to
// (Downloads, the Desktop): never through a link someone placed there.
#pragma once

#include <string>

class HeldFiles;

// Removes the file at `path` as itself: a link as the link (never what it leads to), a
// plain file (also one of several hard links: only this name goes). A link the platform
// resolves whatever is asked (Wine, for a Linux link) and a folder stay. True when
// nothing is left at `path`.
bool DeleteFileAsItself(const std::wstring& path);

// Copies `source` to `target` as a new file: what stood there is removed first as itself,
// and the copy only makes a new entry, so it never writes through a link or into another
// name's data. False when that could not be done.
bool CopyToFreshFile(const std::wstring& source, const std::wstring& target);

// Whether `copy` is the same file as `original`: the same size and MD5, `copy` read while
// held in `held` against writing, renaming and deleting, and not reached through a link.
// What is then started from `copy` is what was compared.
bool IsHeldCopyOf(const std::wstring& original, const std::wstring& copy, HeldFiles& held);
