// SHA-256 and ECDSA P-256 verification through CNG (bcrypt.dll, Windows 7 and later).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "download/signature_der.h"

using Sha256Digest = std::array<uint8_t, 32>;
// An uncompressed P-256 public point without its 0x04 prefix: X then Y, 32 bytes each.
using P256PublicKey = std::array<uint8_t, 64>;

std::optional<Sha256Digest> Sha256OfBytes(std::string_view bytes);
// The digest of a file read to its end (others may read and write it meanwhile); no value
// when it cannot be opened or read. Pending window messages of the calling thread are
// dispatched between chunks, as the MD5 check does.
std::optional<Sha256Digest> Sha256OfFile(const std::wstring& path);
// Lower-case hexadecimal, as the configuration writes digests.
std::wstring DigestText(const Sha256Digest& digest);

// True only when `signature` is a valid signature of `digest` by `key`.
bool VerifyP256Signature(const P256PublicKey& key, const Sha256Digest& digest,
                         const RawP256Signature& signature);

// A short name of a public key that does not reveal it: the first 16 bytes of the SHA-256
// of its point, in hexadecimal. Empty when no digest can be made.
std::wstring KeyFingerprint(const P256PublicKey& key);
