#include "signing.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include <openssl/evp.h>
#include <openssl/pem.h>

namespace {

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct FileClose {
  void operator()(FILE* file) const { std::fclose(file); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Context = std::unique_ptr<EVP_MD_CTX, ContextFree>;
using File = std::unique_ptr<FILE, FileClose>;

// Created new with the given permissions, never over an existing file.
File CreateNew(const std::filesystem::path& path, mode_t mode) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
  if (fd < 0) return nullptr;
  File file(::fdopen(fd, "w"));
  if (!file) ::close(fd);
  return file;
}

bool IsP256(EVP_PKEY* key) {
  char group[32] = {};
  size_t length = 0;
  return EVP_PKEY_is_a(key, "EC") &&
         EVP_PKEY_get_utf8_string_param(key, "group", group, sizeof group, &length) &&
         std::string(group) == "prime256v1";
}

Key ReadKey(const std::filesystem::path& path, bool isPrivate) {
  File file(std::fopen(path.c_str(), "r"));
  if (!file) return nullptr;
  Key key(isPrivate ? PEM_read_PrivateKey(file.get(), nullptr, nullptr, nullptr)
                    : PEM_read_PUBKEY(file.get(), nullptr, nullptr, nullptr));
  return key && IsP256(key.get()) ? std::move(key) : nullptr;
}

}  // namespace

std::string Sha256Hex(const std::string& bytes) {
  unsigned char digest[32];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

std::string GenerateKeyPair(const std::filesystem::path& folder) {
  Key key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
  if (!key) return "OpenSSL could not make a P-256 key";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const auto privatePath = folder / "release-key.pem";
  const auto publicPath = folder / "release-key.pub.pem";
  if (std::filesystem::exists(privatePath) || std::filesystem::exists(publicPath))
    return "a key exists already in " + folder.string() + "; not replaced";
  File privateFile = CreateNew(privatePath, 0600);
  if (!privateFile || !PEM_write_PrivateKey(privateFile.get(), key.get(), nullptr, nullptr, 0,
                                            nullptr, nullptr))
    return "cannot write " + privatePath.string();
  File publicFile = CreateNew(publicPath, 0644);
  if (!publicFile || !PEM_write_PUBKEY(publicFile.get(), key.get()))
    return "cannot write " + publicPath.string();
  return std::string();
}

std::optional<std::string> SignBytes(const std::string& bytes, const std::filesystem::path& keyFile,
                                     std::string& why) {
  const Key key = ReadKey(keyFile, true);
  if (!key) {
    why = keyFile.string() + " holds no ECDSA P-256 private key (PEM)";
    return std::nullopt;
  }
  Context context(EVP_MD_CTX_new());
  size_t length = 0;
  if (!context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1 ||
      EVP_DigestSign(context.get(), nullptr, &length,
                     reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) != 1) {
    why = "OpenSSL could not sign";
    return std::nullopt;
  }
  std::string signature(length, '\0');
  if (EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &length,
                     reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) != 1) {
    why = "OpenSSL could not sign";
    return std::nullopt;
  }
  signature.resize(length);
  return signature;
}

SignatureStatus VerifyBytes(const std::string& bytes, const std::string& signature,
                            const std::filesystem::path& publicKeyFile) {
  const Key key = ReadKey(publicKeyFile, false);
  if (!key) return SignatureStatus::kBadKey;
  Context context(EVP_MD_CTX_new());
  if (!context || EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1)
    return SignatureStatus::kBadKey;
  return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                          signature.size(), reinterpret_cast<const unsigned char*>(bytes.data()),
                          bytes.size()) == 1
             ? SignatureStatus::kValid
             : SignatureStatus::kMismatch;
}
