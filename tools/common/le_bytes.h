// Little-endian values read from a file's bytes, as the native tools read Windows programs:
// a value that does not lie wholly inside the bytes reads as 0.
#pragma once

#include <cstdint>
#include <string_view>

class LeBytes {
 public:
  explicit LeBytes(std::string_view data) : data_(data) {}
  bool Has(uint64_t offset, uint64_t size) const {
    return offset <= data_.size() && size <= data_.size() - offset;
  }
  uint32_t U8(uint64_t o) const { return Has(o, 1) ? B(o) : 0; }
  uint16_t U16(uint64_t o) const { return Has(o, 2) ? static_cast<uint16_t>(B(o) | B(o + 1) << 8) : 0; }
  uint32_t U32(uint64_t o) const {
    return Has(o, 4) ? static_cast<uint32_t>(B(o) | B(o + 1) << 8 | B(o + 2) << 16) |
                           static_cast<uint32_t>(B(o + 3)) << 24
                     : 0;
  }
  uint64_t U64(uint64_t o) const {
    return Has(o, 8) ? U32(o) | static_cast<uint64_t>(U32(o + 4)) << 32 : 0;
  }
  size_t size() const { return data_.size(); }

 private:
  uint32_t B(uint64_t o) const { return static_cast<unsigned char>(data_[o]); }
  std::string_view data_;
};
