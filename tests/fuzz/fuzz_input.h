// Turns a fuzzer's bytes into the wide texts the readers take. A byte stands for the
// character of the same code, so seeds are plain text; 0xFF and the two bytes after it
// make one character of any code, so the readers also meet what ASCII cannot write.
// Byte 0 separates the texts of a fuzzer that takes several.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

inline std::vector<std::wstring> WideTexts(const uint8_t* data, size_t size, size_t count) {
  std::vector<std::wstring> texts(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0 && texts.size() < count) {
      texts.emplace_back();
    } else if (data[i] == 0xFF && i + 2 < size) {
      texts.back() += static_cast<wchar_t>(data[i + 1] | (data[i + 2] << 8));
      i += 2;
    } else {
      texts.back() += static_cast<wchar_t>(data[i]);
    }
  }
  texts.resize(count);
  return texts;
}

// A number taken from the front of the bytes (little-endian), the bytes consumed.
template <typename T>
T TakeNumber(const uint8_t*& data, size_t& size) {
  T value = 0;
  for (size_t i = 0; i < sizeof(T) && size > 0; ++i, ++data, --size)
    value = static_cast<T>(value | (static_cast<T>(*data) << (8 * i)));
  return value;
}

// A broken expectation is a finding like a crash.
inline void Check(bool holds) {
  if (!holds) __builtin_trap();
}

}  // namespace fuzz
