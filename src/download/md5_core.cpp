#include "download/md5_core.h"

#include <cstring>
#include <memory>

namespace {

constexpr uint32_t kSineTable[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613,
    0xfd469501, 0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193,
    0xa679438e, 0x49b40821, 0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d,
    0x02441453, 0xd8a1e681, 0xe7d3fbc8, 0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
    0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a, 0xfffa3942, 0x8771f681, 0x6d9d6122,
    0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70, 0x289b7ec6, 0xeaa127fa,
    0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665, 0xf4292244,
    0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb,
    0xeb86d391};

inline uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline uint32_t LoadLittleEndian(const unsigned char* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// One step of a round: a = b + ((a + f(b,c,d) + x[k] + t[i]) <<< s).
#define MD5_STEP(f, a, b, c, d, xk, ti, s) \
  a += f(b, c, d) + (xk) + (ti);           \
  a = RotateLeft(a, s) + b

#define MD5_F(x, y, z) (((x) & (y)) | (~(x) & (z)))
#define MD5_G(x, y, z) (((x) & (z)) | ((y) & ~(z)))
#define MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))

// Reads fully: a short count only at the end of the source.
size_t ReadFully(Md5Source& source, unsigned char* buffer, size_t size) {
  size_t total = 0;
  while (total < size) {
    const size_t n = source.Read(buffer + total, size - total);
    if (n == 0) break;
    total += n;
  }
  return total;
}

void StoreLength(unsigned char* block, uint64_t bytes) {
  const uint64_t bits = bytes * 8;
  for (int i = 0; i < 8; ++i) block[56 + i] = static_cast<unsigned char>(bits >> (8 * i));
}

}  // namespace

void Md5Transform(uint32_t state[4], const unsigned char* block) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLittleEndian(block + 4 * i);
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  const uint32_t* t = kSineTable;

  MD5_STEP(MD5_F, a, b, c, d, x[0], t[0], 7);    MD5_STEP(MD5_F, d, a, b, c, x[1], t[1], 12);
  MD5_STEP(MD5_F, c, d, a, b, x[2], t[2], 17);   MD5_STEP(MD5_F, b, c, d, a, x[3], t[3], 22);
  MD5_STEP(MD5_F, a, b, c, d, x[4], t[4], 7);    MD5_STEP(MD5_F, d, a, b, c, x[5], t[5], 12);
  MD5_STEP(MD5_F, c, d, a, b, x[6], t[6], 17);   MD5_STEP(MD5_F, b, c, d, a, x[7], t[7], 22);
  MD5_STEP(MD5_F, a, b, c, d, x[8], t[8], 7);    MD5_STEP(MD5_F, d, a, b, c, x[9], t[9], 12);
  MD5_STEP(MD5_F, c, d, a, b, x[10], t[10], 17); MD5_STEP(MD5_F, b, c, d, a, x[11], t[11], 22);
  MD5_STEP(MD5_F, a, b, c, d, x[12], t[12], 7);  MD5_STEP(MD5_F, d, a, b, c, x[13], t[13], 12);
  MD5_STEP(MD5_F, c, d, a, b, x[14], t[14], 17); MD5_STEP(MD5_F, b, c, d, a, x[15], t[15], 22);

  MD5_STEP(MD5_G, a, b, c, d, x[1], t[16], 5);   MD5_STEP(MD5_G, d, a, b, c, x[6], t[17], 9);
  MD5_STEP(MD5_G, c, d, a, b, x[11], t[18], 14); MD5_STEP(MD5_G, b, c, d, a, x[0], t[19], 20);
  MD5_STEP(MD5_G, a, b, c, d, x[5], t[20], 5);   MD5_STEP(MD5_G, d, a, b, c, x[10], t[21], 9);
  MD5_STEP(MD5_G, c, d, a, b, x[15], t[22], 14); MD5_STEP(MD5_G, b, c, d, a, x[4], t[23], 20);
  MD5_STEP(MD5_G, a, b, c, d, x[9], t[24], 5);   MD5_STEP(MD5_G, d, a, b, c, x[14], t[25], 9);
  MD5_STEP(MD5_G, c, d, a, b, x[3], t[26], 14);  MD5_STEP(MD5_G, b, c, d, a, x[8], t[27], 20);
  MD5_STEP(MD5_G, a, b, c, d, x[13], t[28], 5);  MD5_STEP(MD5_G, d, a, b, c, x[2], t[29], 9);
  MD5_STEP(MD5_G, c, d, a, b, x[7], t[30], 14);  MD5_STEP(MD5_G, b, c, d, a, x[12], t[31], 20);

  MD5_STEP(MD5_H, a, b, c, d, x[5], t[32], 4);   MD5_STEP(MD5_H, d, a, b, c, x[8], t[33], 11);
  MD5_STEP(MD5_H, c, d, a, b, x[11], t[34], 16); MD5_STEP(MD5_H, b, c, d, a, x[14], t[35], 23);
  MD5_STEP(MD5_H, a, b, c, d, x[1], t[36], 4);   MD5_STEP(MD5_H, d, a, b, c, x[4], t[37], 11);
  MD5_STEP(MD5_H, c, d, a, b, x[7], t[38], 16);  MD5_STEP(MD5_H, b, c, d, a, x[10], t[39], 23);
  MD5_STEP(MD5_H, a, b, c, d, x[13], t[40], 4);  MD5_STEP(MD5_H, d, a, b, c, x[0], t[41], 11);
  MD5_STEP(MD5_H, c, d, a, b, x[3], t[42], 16);  MD5_STEP(MD5_H, b, c, d, a, x[6], t[43], 23);
  MD5_STEP(MD5_H, a, b, c, d, x[9], t[44], 4);   MD5_STEP(MD5_H, d, a, b, c, x[12], t[45], 11);
  MD5_STEP(MD5_H, c, d, a, b, x[15], t[46], 16); MD5_STEP(MD5_H, b, c, d, a, x[2], t[47], 23);

  MD5_STEP(MD5_I, a, b, c, d, x[0], t[48], 6);   MD5_STEP(MD5_I, d, a, b, c, x[7], t[49], 10);
  MD5_STEP(MD5_I, c, d, a, b, x[14], t[50], 15); MD5_STEP(MD5_I, b, c, d, a, x[5], t[51], 21);
  MD5_STEP(MD5_I, a, b, c, d, x[12], t[52], 6);  MD5_STEP(MD5_I, d, a, b, c, x[3], t[53], 10);
  MD5_STEP(MD5_I, c, d, a, b, x[10], t[54], 15); MD5_STEP(MD5_I, b, c, d, a, x[1], t[55], 21);
  MD5_STEP(MD5_I, a, b, c, d, x[8], t[56], 6);   MD5_STEP(MD5_I, d, a, b, c, x[15], t[57], 10);
  MD5_STEP(MD5_I, c, d, a, b, x[6], t[58], 15);  MD5_STEP(MD5_I, b, c, d, a, x[13], t[59], 21);
  MD5_STEP(MD5_I, a, b, c, d, x[4], t[60], 6);   MD5_STEP(MD5_I, d, a, b, c, x[11], t[61], 10);
  MD5_STEP(MD5_I, c, d, a, b, x[2], t[62], 15);  MD5_STEP(MD5_I, b, c, d, a, x[9], t[63], 21);

  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

size_t StdioMd5Source::Read(unsigned char* buffer, size_t size) {
  return stream_ ? std::fread(buffer, 1, size, stream_) : 0;
}

size_t MemoryMd5Source::Read(unsigned char* buffer, size_t size) {
  const size_t n = size < bytes_.size() ? size : bytes_.size();
  if (n) std::memcpy(buffer, bytes_.data(), n);
  bytes_.remove_prefix(n);
  return n;
}

Md5Computation::Md5Computation() { std::memcpy(state_, kMd5InitialState, sizeof state_); }

std::string Md5Computation::Run(Md5Source& source, Md5Pacer* pacer, unsigned char* chunk) {
  // The chunk is a whole number of blocks and is filled completely unless the stream
  // ends, so only the last chunk can hold a partial block.
  static_assert(kMd5ChunkBytes % 64 == 0);
  std::unique_ptr<unsigned char[]> ownChunk;
  if (!chunk) {
    ownChunk = std::make_unique<unsigned char[]>(kMd5ChunkBytes);
    chunk = ownChunk.get();
  }
  for (;;) {
    if (pacer) pacer->BetweenChunks();
    const size_t n = ReadFully(source, chunk, kMd5ChunkBytes);
    bytes_ += n;
    const size_t whole = n / 64 * 64;
    for (size_t offset = 0; offset < whole; offset += 64) Md5Transform(state_, chunk + offset);
    if (n == kMd5ChunkBytes) continue;

    // The stream has ended: 0 to 63 bytes remain. 0x80 goes right after them; the
    // 64-bit bit length fits behind it in the same block when at most 55 bytes remain,
    // otherwise a further block holds only zeros and the length.
    const size_t rest = n - whole;
    unsigned char block[64] = {};
    std::memcpy(block, chunk + whole, rest);
    block[rest] = 0x80;
    if (rest >= 56) {
      Md5Transform(state_, block);
      std::memset(block, 0, sizeof block);
    }
    StoreLength(block, bytes_);
    Md5Transform(state_, block);
    break;
  }

  // Each word goes out least significant byte first: the RFC 1321 byte order.
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(32);
  for (uint32_t word : state_)
    for (int i = 0; i < 4; ++i) {
      const unsigned byte = (word >> (8 * i)) & 0xffu;
      text.push_back(kHex[byte >> 4]);
      text.push_back(kHex[byte & 15]);
    }
  return text;
}

std::string Md5OfBytes(std::string_view bytes) {
  MemoryMd5Source source(bytes);
  return Md5Computation().Run(source);
}
