#include "system/held_files.h"

#include <windows.h>

bool HeldFiles::Hold(const std::wstring& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (held_.count(path) != 0) return true;
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  held_.emplace(path, std::move(file));
  return true;
}

void HeldFiles::Release(const std::wstring& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  held_.erase(path);
}

void HeldFiles::ReleaseAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  held_.clear();
}

void HeldFiles::ReleaseAllExcept(const std::wstring& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto entry = held_.begin(); entry != held_.end();)
    entry = entry->first == path ? std::next(entry) : held_.erase(entry);
}
