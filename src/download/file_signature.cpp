#include "download/file_signature.h"

#include <windows.h>

#include "base/unique_handle.h"

namespace {

// A DER P-256 signature is at most 72 bytes; anything longer is not one.
constexpr DWORD kLongestSignature = 72;

enum class Read { kOk, kMissing, kFailed };

Read ReadSmallFile(const std::wstring& path, std::string& bytes) {
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Read::kMissing
                                                                          : Read::kFailed;
  }
  char buffer[kLongestSignature + 1];
  DWORD read = 0;
  if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return Read::kFailed;
  bytes.assign(buffer, read);
  return Read::kOk;
}

}  // namespace

SignatureCheck CheckFileSignature(const P256PublicKey& key, const std::wstring& filePath) {
  std::string der;
  switch (ReadSmallFile(filePath + kSignatureSuffix, der)) {
    case Read::kMissing: return SignatureCheck::kMissing;
    case Read::kFailed: return SignatureCheck::kUnreadable;
    case Read::kOk: break;
  }
  const auto raw = DerToRawSignature(der);  // one byte too many fails here as well
  const auto digest = Sha256OfFile(filePath);
  if (!raw || !digest) return SignatureCheck::kUnreadable;
  return VerifyP256Signature(key, *digest, *raw) ? SignatureCheck::kValid : SignatureCheck::kMismatch;
}
