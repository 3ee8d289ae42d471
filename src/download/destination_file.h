// The file a download writes: opened for exclusive use, created when missing and kept
// when present. Writes go straight to the system (no buffer of our own), so the file's
// length is always the count of bytes received, which is what a resumption rests on.
#pragma once

#include <cstdint>
#include <string>

#include "base/unique_handle.h"

class DestinationFile {
 public:
  bool Open(const std::wstring& path);
  bool IsOpen() const { return handle_.valid(); }
  bool Length(uint64_t& length) const;
  bool SeekToEnd();
  // Empties the file and puts the write position at its start.
  bool Truncate();
  // Writes all of `data`; false when the system took less.
  bool Write(const void* data, uint32_t size);
  void Close() { handle_.reset(); }

 private:
  ScopedHandle handle_;
};
