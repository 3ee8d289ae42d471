#include "download/cng.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

#include "base/unique_handle.h"

namespace {

constexpr DWORD kFileChunk = 512 * 1024;

struct AlgorithmTraits {
  using Handle = BCRYPT_ALG_HANDLE;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { BCryptCloseAlgorithmProvider(h, 0); }
};
struct HashTraits {
  using Handle = BCRYPT_HASH_HANDLE;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { BCryptDestroyHash(h); }
};
struct KeyTraits {
  using Handle = BCRYPT_KEY_HANDLE;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { BCryptDestroyKey(h); }
};
using ScopedAlgorithm = UniqueHandle<AlgorithmTraits>;
using ScopedHash = UniqueHandle<HashTraits>;
using ScopedKey = UniqueHandle<KeyTraits>;

bool Ok(NTSTATUS status) { return status >= 0; }

// One SHA-256 computation. BCryptHash would do it in one call, but Windows 7 lacks it.
class Sha256 {
 public:
  Sha256() {
    ok_ = Ok(BCryptOpenAlgorithmProvider(algorithm_.receive(), BCRYPT_SHA256_ALGORITHM, nullptr, 0)) &&
          Ok(BCryptCreateHash(algorithm_.get(), hash_.receive(), nullptr, 0, nullptr, 0, 0));
  }
  void Add(const void* data, size_t size) {
    ok_ = ok_ && Ok(BCryptHashData(hash_.get(), static_cast<PUCHAR>(const_cast<void*>(data)),
                                   static_cast<ULONG>(size), 0));
  }
  std::optional<Sha256Digest> Finish() {
    Sha256Digest digest;
    if (!ok_ || !Ok(BCryptFinishHash(hash_.get(), digest.data(), digest.size(), 0)))
      return std::nullopt;
    return digest;
  }

 private:
  ScopedAlgorithm algorithm_;
  ScopedHash hash_;
  bool ok_ = false;
};

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

std::optional<Sha256Digest> Sha256OfBytes(std::string_view bytes) {
  Sha256 sha;
  sha.Add(bytes.data(), bytes.size());
  return sha.Finish();
}

std::optional<Sha256Digest> Sha256OfFile(const std::wstring& path) {
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return std::nullopt;
  Sha256 sha;
  std::vector<char> chunk(kFileChunk);
  for (;;) {
    PumpMessages();
    DWORD read = 0;
    if (!ReadFile(file.get(), chunk.data(), kFileChunk, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    sha.Add(chunk.data(), read);
  }
  return sha.Finish();
}

std::wstring DigestText(const Sha256Digest& digest) {
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  std::wstring text;
  for (const uint8_t b : digest) {
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

bool VerifyP256Signature(const P256PublicKey& key, const Sha256Digest& digest,
                         const RawP256Signature& signature) {
  ScopedAlgorithm algorithm;
  if (!Ok(BCryptOpenAlgorithmProvider(algorithm.receive(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0)))
    return false;
  std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.size());
  auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob.data());
  header->dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
  header->cbKey = 32;
  std::copy(key.begin(), key.end(), blob.begin() + sizeof(BCRYPT_ECCKEY_BLOB));
  ScopedKey publicKey;
  if (!Ok(BCryptImportKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, publicKey.receive(),
                              blob.data(), static_cast<ULONG>(blob.size()), 0)))
    return false;
  Sha256Digest hash = digest;
  RawP256Signature raw = signature;
  return BCryptVerifySignature(publicKey.get(), nullptr, hash.data(), hash.size(), raw.data(),
                               raw.size(), 0) == 0;  // STATUS_SUCCESS, nothing else
}

std::wstring KeyFingerprint(const P256PublicKey& key) {
  const std::optional<Sha256Digest> digest =
      Sha256OfBytes(std::string_view(reinterpret_cast<const char*>(key.data()), key.size()));
  return digest ? DigestText(*digest).substr(0, 32) : std::wstring();
}
