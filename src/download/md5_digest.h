// MD5 digest of one file, read from disk while other programs may still write it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

// One object per check: Init, set m_szFile, DigestFile, read m_szDigest / m_bOk.
class CMd5Digest {
 public:
  CMd5Digest() = default;
  ~CMd5Digest();
  CMd5Digest(const CMd5Digest&) = delete;
  CMd5Digest& operator=(const CMd5Digest&) = delete;

  // Allocates the read buffer and resets the digest. False (with an error recorded)
  // only when the buffer cannot be had.
  bool Init();
  // Digests m_szFile into m_szDigest. False only when no file is named or Init has not
  // succeeded; a file that cannot be opened gives true with m_bOk false.
  bool DigestFile();
  // Keeps the first error only: later ones leave the text alone. Clears m_bOk.
  void RecordError(std::string_view text);

  std::wstring m_szFile;        // the file to digest
  bool m_bOk = false;           // true until an error is recorded
  uint64_t m_nBytes = 0;        // bytes read so far
  std::string m_szError;        // first error recorded, at most 49 bytes; empty when none
  std::string m_szDigest;       // 32 lowercase hexadecimal digits once digested
  bool m_bPumpMessages = false; // keep this thread's windows responsive while digesting

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, FileCloser> m_file;
  std::unique_ptr<unsigned char[]> m_block;  // the read chunk, whole 64-byte blocks
};

// Error texts a CMd5Digest records (kept in the object; never shown or logged).
inline constexpr char kMd5ErrorNoMemory[] = "The Memory is not enough !";
inline constexpr char kMd5ErrorNoFile[] = "Have not assign a file !";
inline constexpr char kMd5ErrorCannotOpen[] = "Can not open the file [ %s ] !";
inline constexpr char kMd5ErrorGeneral[] = "Have something wrong with MD5!";
