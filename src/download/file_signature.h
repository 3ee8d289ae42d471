// A publisher's signature of a file, kept beside it as "<file>.sig": the DER form that
// `openssl dgst -sha256 -sign` writes, ECDSA P-256 over SHA-256 of the file's bytes.
#pragma once

#include <string>

#include "download/cng.h"

inline constexpr wchar_t kSignatureSuffix[] = L".sig";

enum class SignatureCheck { kValid, kMissing, kUnreadable, kMismatch };

// Checks `filePath` against `filePath`.sig with `key`. kUnreadable: the signature file is
// there but is no DER signature (or the file itself cannot be read).
SignatureCheck CheckFileSignature(const P256PublicKey& key, const std::wstring& filePath);
