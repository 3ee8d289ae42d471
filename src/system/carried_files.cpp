#include "system/carried_files.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "base/unique_handle.h"

namespace {

// The bytes of FILE resource `id` of this program; false when it is missing.
bool FindFileResource(int id, const void*& bytes, DWORD& size) {
  HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(id), L"FILE");
  if (resource == nullptr) return false;
  size = SizeofResource(nullptr, resource);
  HGLOBAL loaded = LoadResource(nullptr, resource);
  bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  return bytes != nullptr;
}

}  // namespace

bool ExtractFileResource(int id, const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteFileW(path.c_str());

  const void* bytes = nullptr;
  DWORD size = 0;
  if (!FindFileResource(id, bytes, size)) return false;

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

bool FileMatchesResource(int id, const std::wstring& path) {
  const void* bytes = nullptr;
  DWORD size = 0;
  if (!FindFileResource(id, bytes, size)) return false;
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER length{};
  if (!file.valid() || !GetFileSizeEx(file.get(), &length) || length.QuadPart != size)
    return false;
  constexpr DWORD kChunk = 1 << 16;
  std::vector<char> chunk(kChunk);
  for (DWORD offset = 0; offset < size;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), chunk.data(), kChunk, &read, nullptr) || read == 0) return false;
    if (read > size - offset ||
        std::memcmp(chunk.data(), static_cast<const char*>(bytes) + offset, read) != 0)
      return false;
    offset += read;
  }
  return true;
}
