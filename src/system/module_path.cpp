#include "system/module_path.h"

#include <windows.h>

#include "base/path_util.h"

std::wstring GetModulePath(std::wstring* folder, std::wstring* name) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring modulePath(path, length < MAX_PATH ? length : MAX_PATH);
  ModulePathParts parts;
  if (SplitModulePath(modulePath, parts)) {
    if (folder) *folder = parts.folder;
    if (name) *name = parts.name;
  }
  return modulePath;
}
