// The publisher's key pair and the signature of update_win.ini, through OpenSSL: what
// `openssl dgst -sha256 -sign` writes (ECDSA P-256, DER) is what the installer verifies.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Lower-case hexadecimal SHA-256 of the bytes, as the configuration writes it.
std::string Sha256Hex(const std::string& bytes);

// Writes <folder>/release-key.pem (private, readable by its owner only) and
// <folder>/release-key.pub.pem. Refuses to overwrite either. Empty on success, else why.
std::string GenerateKeyPair(const std::filesystem::path& folder);

// The DER signature of the bytes with the private key in `keyFile` (PEM), or no value
// with `why` set.
std::optional<std::string> SignBytes(const std::string& bytes, const std::filesystem::path& keyFile,
                                     std::string& why);

enum class SignatureStatus { kValid, kMismatch, kBadKey };
// Checks a DER signature of the bytes against the public key in `publicKeyFile` (PEM).
SignatureStatus VerifyBytes(const std::string& bytes, const std::string& signature,
                            const std::filesystem::path& publicKeyFile);
