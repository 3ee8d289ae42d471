#include "workflow/self_update_rules.h"

#include <optional>

#include "config/version.h"

bool DownloadedInstallerIsNewer(std::wstring_view ownVersion, std::wstring_view fileVersion) {
  const std::optional<VersionNumber> own = ReadVersionNumbers(ownVersion);
  const std::optional<VersionNumber> file = ReadVersionNumbers(fileVersion);
  return own && file && IsVersionLower(*own, *file);
}
