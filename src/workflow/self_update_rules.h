// Whether a downloaded installer takes the running one's place. Platform-free.
#pragma once

#include <string_view>

// Only a file whose own version block says it is newer than the running installer
// replaces it. The configuration's word is not enough: an entry that announces more than
// the file carries would make every run fetch, hand over, restart and fetch again. Both
// versions are the "a.b.c.d" of a version block; a file without one (empty) is not newer.
bool DownloadedInstallerIsNewer(std::wstring_view ownVersion, std::wstring_view fileVersion);
