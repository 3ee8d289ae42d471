#include "system/carried_files.h"

#include <windows.h>

#include "base/unique_handle.h"

bool ExtractFileResource(int id, const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteFileW(path.c_str());

  HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(id), L"FILE");
  if (resource == nullptr) return false;
  const DWORD size = SizeofResource(nullptr, resource);
  HGLOBAL loaded = LoadResource(nullptr, resource);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return false;

  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  DWORD written = 0;
  const bool complete = WriteFile(file.get(), bytes, size, &written, nullptr) && written == size;
  file.reset();
  // A cut-off extractor or font is worse than none: the caller must see the failure.
  if (!complete) DeleteFileW(path.c_str());
  return complete;
}
