#include "base/path_util.h"

#include "base/product.h"

bool SplitModulePath(std::wstring_view path, ModulePathParts& parts) {
  size_t last = path.rfind(L'\\');
  if (last == std::wstring_view::npos || last == 0) return false;
  parts.folder = std::wstring(path.substr(0, last));
  parts.name = std::wstring(path.substr(last + 1));
  return true;
}

std::wstring AppendProductFolder(std::wstring_view base) {
  if (!base.empty() && base.back() == L'\\') base.remove_suffix(1);
  std::wstring result(base);
  result.append(L"\\").append(kProductName);
  return result;
}

std::vector<std::wstring> PrefixesBeforeBackslashes(std::wstring_view path) {
  std::vector<std::wstring> prefixes;
  for (size_t i = 0; i < path.size(); ++i)
    if (path[i] == L'\\') prefixes.emplace_back(path.substr(0, i));
  return prefixes;
}

std::wstring GetUrlFileName(std::wstring_view url) {
  const size_t last = url.rfind(L'/');
  if (last == std::wstring_view::npos || last == 0) return std::wstring();
  return std::wstring(url.substr(last + 1));
}
