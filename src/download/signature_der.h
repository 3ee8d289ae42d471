// ECDSA P-256 signatures in the two forms that meet here: DER, as OpenSSL writes a
// signature file, and raw r||s (32 bytes each), as CNG verifies one. Platform-free.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

using RawP256Signature = std::array<uint8_t, 64>;

// r||s of a DER "SEQUENCE { INTEGER r, INTEGER s }". No value unless the bytes are exactly
// that, strictly encoded (definite lengths, minimal integers, nothing after the sequence),
// with r and s positive and below 2^256.
std::optional<RawP256Signature> DerToRawSignature(std::string_view der);

// The DER form of r||s, as OpenSSL writes it: each integer without leading zero bytes, one
// zero byte in front when its top bit is set.
std::vector<uint8_t> RawToDerSignature(const RawP256Signature& raw);
