#include "workflow/swap_paths.h"

SwapPaths SwapPathsFor(std::wstring_view installFolder) {
  while (!installFolder.empty() && installFolder.back() == L'\\') installFolder.remove_suffix(1);
  const size_t slash = installFolder.rfind(L'\\');
  if (slash == std::wstring_view::npos) return {};
  const std::wstring_view name = installFolder.substr(slash + 1);
  if (name.empty() || name == L"." || name == L".." || name.find(L':') != std::wstring_view::npos)
    return {};
  const bool atDriveRoot = slash == 2 && installFolder[1] == L':';
  SwapPaths paths;
  paths.installed = std::wstring(installFolder);
  paths.parent = std::wstring(installFolder.substr(0, atDriveRoot ? slash + 1 : slash));
  if (paths.parent.empty()) return {};  // "\Lumetra": relative to the current drive
  paths.fresh = paths.installed + L".new";
  paths.aside = paths.installed + L".old";
  return paths;
}
