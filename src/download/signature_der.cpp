#include "download/signature_der.h"

#include <algorithm>

namespace {

constexpr uint8_t kSequence = 0x30;
constexpr uint8_t kInteger = 0x02;
constexpr size_t kHalf = 32;

// Reads one tag and its length at `at`; the content then starts at `at`. A P-256
// signature is at most 72 bytes, so DER allows only the one-byte length form here.
bool ReadHeader(std::string_view der, size_t& at, uint8_t tag, size_t& length) {
  if (at + 2 > der.size() || static_cast<uint8_t>(der[at]) != tag) return false;
  length = static_cast<uint8_t>(der[at + 1]);
  at += 2;
  return length < 0x80 && length <= der.size() - at;
}

// One positive INTEGER of at most 256 bits, right-aligned into `out`.
bool ReadInteger(std::string_view der, size_t& at, uint8_t* out) {
  size_t length = 0;
  if (!ReadHeader(der, at, kInteger, length) || length == 0) return false;
  std::string_view value = der.substr(at, length);
  at += length;
  if (static_cast<uint8_t>(value[0]) & 0x80) return false;  // negative
  if (value[0] == 0) {
    // A leading zero byte is there only to keep a set top bit from reading as a sign.
    if (value.size() == 1 || !(static_cast<uint8_t>(value[1]) & 0x80)) return false;
    value.remove_prefix(1);
  }
  if (value.size() > kHalf) return false;
  std::fill(out, out + kHalf, 0);
  std::copy(value.begin(), value.end(), out + kHalf - value.size());
  return std::any_of(out, out + kHalf, [](uint8_t b) { return b != 0; });
}

void AppendInteger(std::vector<uint8_t>& der, const uint8_t* value) {
  size_t skip = 0;
  while (skip + 1 < kHalf && value[skip] == 0) ++skip;
  const bool pad = value[skip] & 0x80;
  der.push_back(kInteger);
  der.push_back(static_cast<uint8_t>(kHalf - skip + (pad ? 1 : 0)));
  if (pad) der.push_back(0);
  der.insert(der.end(), value + skip, value + kHalf);
}

}  // namespace

std::optional<RawP256Signature> DerToRawSignature(std::string_view der) {
  size_t at = 0, length = 0;
  if (!ReadHeader(der, at, kSequence, length) || at + length != der.size()) return std::nullopt;
  RawP256Signature raw{};
  if (!ReadInteger(der, at, raw.data()) || !ReadInteger(der, at, raw.data() + kHalf))
    return std::nullopt;
  if (at != der.size()) return std::nullopt;
  return raw;
}

std::vector<uint8_t> RawToDerSignature(const RawP256Signature& raw) {
  std::vector<uint8_t> body;
  AppendInteger(body, raw.data());
  AppendInteger(body, raw.data() + kHalf);
  std::vector<uint8_t> der(2 + body.size());
  der[0] = kSequence;
  der[1] = static_cast<uint8_t>(body.size());
  std::copy(body.begin(), body.end(), der.begin() + 2);
  return der;
}
