// MD5 message digest (RFC 1321) over a byte stream. Platform-free: the Windows file
// digest (CMd5Digest) and the native tests share this one implementation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// Where the digest takes its bytes from. Read fills up to `size` bytes and returns how
// many it gave; fewer than asked means the end of the stream.
class Md5Source {
 public:
  virtual ~Md5Source() = default;
  virtual size_t Read(unsigned char* buffer, size_t size) = 0;
};

// Reads a C stream to its end; a null stream yields no bytes.
class StdioMd5Source : public Md5Source {
 public:
  explicit StdioMd5Source(std::FILE* stream) : stream_(stream) {}
  size_t Read(unsigned char* buffer, size_t size) override;

 private:
  std::FILE* stream_;
};

class MemoryMd5Source : public Md5Source {
 public:
  explicit MemoryMd5Source(std::string_view bytes) : bytes_(bytes) {}
  size_t Read(unsigned char* buffer, size_t size) override;

 private:
  std::string_view bytes_;
};

// Called between chunks of input (every kMd5ChunkBytes at most), so that a caller can
// keep a window thread responsive during a long digest.
class Md5Pacer {
 public:
  virtual ~Md5Pacer() = default;
  virtual void BetweenChunks() = 0;
};

// Input is read in chunks of this size (a whole number of 64-byte blocks) and digested
// block by block in place; a file is never held in memory as a whole.
inline constexpr size_t kMd5ChunkBytes = 256 * 1024;

inline constexpr uint32_t kMd5InitialState[4] = {0x67452301u, 0xefcdab89u, 0x98badcfeu,
                                                 0x10325476u};

// The RFC 1321 compression function: folds one 64-byte block into `state`.
void Md5Transform(uint32_t state[4], const unsigned char* block);

// One digest from start to end: feeds the source through the block reader with the
// RFC 1321 padding and returns the 32 lowercase hexadecimal digits.
class Md5Computation {
 public:
  Md5Computation();
  // `chunk` is a buffer of kMd5ChunkBytes the caller lends, or null to allocate one.
  std::string Run(Md5Source& source, Md5Pacer* pacer = nullptr, unsigned char* chunk = nullptr);
  uint64_t bytesRead() const { return bytes_; }

 private:
  uint32_t state_[4];
  uint64_t bytes_ = 0;
};

// The digest text of a byte string.
std::string Md5OfBytes(std::string_view bytes);
