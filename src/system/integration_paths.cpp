#include "system/integration_paths.h"

#include "base/product.h"

namespace {
constexpr size_t kShortestTreePath = 4;
}

std::wstring RunAtStartupCommand(std::wstring_view exePath) {
  std::wstring command = L"\"";
  command.append(exePath);
  command.append(L"\" /WinStart");
  return command;
}

std::wstring ProductLinkPath(std::wstring_view folder) {
  if (folder.empty()) return std::wstring();  // never a link at the root of the drive
  std::wstring path(folder);
  path.append(L"\\").append(kProductName).append(L".lnk");
  return path;
}

std::wstring PerUserStartMenuLinkPath(std::wstring_view roamingFolder) {
  if (roamingFolder.empty()) return std::wstring();
  std::wstring path(roamingFolder);
  path.append(L"\\Microsoft\\Windows\\Start Menu\\Programs\\").append(kProductName).append(L".lnk");
  return path;
}

std::wstring MakerAppDataFolder(std::wstring_view roamingFolder) {
  if (roamingFolder.empty()) return std::wstring();
  std::wstring path(roamingFolder);
  path.append(L"\\").append(kMakerName);
  return path;
}

bool IsNamedLikeProductFolder(std::wstring_view path) {
  while (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
  const std::wstring_view name = path.substr(path.find_last_of(L'\\') + 1);
  const std::wstring_view product = kProductName;
  if (name.size() != product.size()) return false;
  const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; };
  for (size_t i = 0; i < name.size(); ++i)
    if (lower(name[i]) != lower(product[i])) return false;
  return true;
}

bool IsTooShortToDeleteAsTree(std::wstring_view path) { return path.size() < kShortestTreePath; }

std::wstring FolderSearchPattern(std::wstring_view folder) {
  std::wstring pattern(folder);
  if (pattern.empty() || pattern.back() != L'\\') pattern.push_back(L'\\');
  pattern.append(L"*.*");
  return pattern;
}

std::wstring FileNameOfPath(std::wstring_view path) {
  const size_t slash = path.rfind(L'\\');
  return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

std::wstring FontTargetPath(std::wstring_view windowsFolder, std::wstring_view fileName) {
  std::wstring path(windowsFolder);
  path.append(L"\\Fonts\\").append(fileName);
  return path;
}
