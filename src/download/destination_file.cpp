#include "download/destination_file.h"

bool DestinationFile::Open(const std::wstring& path) {
  handle_.reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  return handle_.valid();
}

bool DestinationFile::Length(uint64_t& length) const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle_.get(), &size)) return false;
  length = static_cast<uint64_t>(size.QuadPart);
  return true;
}

bool DestinationFile::SeekToEnd() {
  LARGE_INTEGER zero{};
  return SetFilePointerEx(handle_.get(), zero, nullptr, FILE_END) != FALSE;
}

bool DestinationFile::Truncate() {
  LARGE_INTEGER zero{};
  return SetFilePointerEx(handle_.get(), zero, nullptr, FILE_BEGIN) &&
         SetEndOfFile(handle_.get());
}

bool DestinationFile::Write(const void* data, uint32_t size) {
  DWORD written = 0;
  return WriteFile(handle_.get(), data, size, &written, nullptr) && written == size;
}
