#include "ui/images/inflate.h"

#include <algorithm>
#include <array>

namespace {

constexpr int kMaxCodeBits = 15;
constexpr int kLiteralCodes = 288;
constexpr int kDistanceCodes = 30;
constexpr int kEndOfBlock = 256;
constexpr size_t kAllocatedAtOnce = size_t{64} << 20;

constexpr std::array<uint16_t, 29> kLengthBase{3,  4,  5,  6,  7,  8,  9,  10,  11,  13,
                                               15, 17, 19, 23, 27, 31, 35, 43,  51,  59,
                                               67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                               2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> kDistanceBase{
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, 30> kDistanceExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block lists the lengths of its code-length code.
constexpr std::array<uint8_t, 19> kCodeLengthOrder{16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                   11, 4,  12, 3, 13, 2, 14, 1, 15};

// Bits in deflate's order: least significant first, bytes loaded as they are needed.
class BitReader {
 public:
  BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Read(int count, uint32_t& value) {
    while (held_ < count) {
      if (next_ == size_) return false;
      buffer_ |= static_cast<uint32_t>(data_[next_++]) << held_;
      held_ += 8;
    }
    value = buffer_ & ((1u << count) - 1);
    buffer_ >>= count;
    held_ -= count;
    return true;
  }

  // Up to `count` (at most 24) next bits without taking them; fewer only at the end of
  // the input. `available` receives how many are valid.
  uint32_t Peek(int count, int& available) {
    while (held_ < count && next_ < size_) {
      buffer_ |= static_cast<uint32_t>(data_[next_++]) << held_;
      held_ += 8;
    }
    available = held_ < count ? held_ : count;
    return buffer_ & ((1u << count) - 1);
  }

  void Consume(int count) {
    buffer_ >>= count;
    held_ -= count;
  }

  // Drops what is left of the current byte; whole bytes looked at ahead are given back.
  void SkipToByte() {
    next_ -= static_cast<size_t>(held_ / 8);
    buffer_ = 0;
    held_ = 0;
  }

  bool ReadBytes(size_t count, const uint8_t*& bytes) {
    if (size_ - next_ < count) return false;
    bytes = data_ + next_;
    next_ += count;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t next_ = 0;
  uint32_t buffer_ = 0;
  int held_ = 0;
};

// A canonical Huffman code: how many codes each length has, and the symbols in code order;
// codes of up to kFastBits bits are also looked up at once by their next bits.
constexpr int kFastBits = 9;
struct HuffmanCode {
  std::array<uint16_t, kMaxCodeBits + 1> countOfLength{};
  std::array<uint16_t, kLiteralCodes> symbols{};
  // Indexed by the next kFastBits bits: symbol << 4 | code length; 0 when the code is longer.
  std::array<uint16_t, 1 << kFastBits> fast{};
};

// Deflate sends a code's first bit first, while bits are read from the low end up.
uint32_t Reversed(uint32_t code, int length) {
  uint32_t reversed = 0;
  for (int i = 0; i < length; ++i, code >>= 1) reversed = reversed << 1 | (code & 1);
  return reversed;
}

// False for an over-subscribed set of lengths; an incomplete one is kept, and a code that
// falls into its gap is refused when read.
bool BuildCode(HuffmanCode& code, const uint8_t* lengths, int symbolCount) {
  code.countOfLength.fill(0);
  for (int symbol = 0; symbol < symbolCount; ++symbol) ++code.countOfLength[lengths[symbol]];
  int left = 1;
  for (int length = 1; length <= kMaxCodeBits; ++length) {
    left = left * 2 - code.countOfLength[length];
    if (left < 0) return false;
  }
  std::array<uint16_t, kMaxCodeBits + 2> offset{};
  for (int length = 1; length <= kMaxCodeBits; ++length)
    offset[length + 1] = offset[length] + code.countOfLength[length];
  for (int symbol = 0; symbol < symbolCount; ++symbol)
    if (lengths[symbol] != 0) code.symbols[offset[lengths[symbol]]++] = static_cast<uint16_t>(symbol);

  code.fast.fill(0);
  uint32_t next = 0;  // the canonical code of the current symbol
  int index = 0;
  for (int length = 1; length <= kFastBits; ++length, next <<= 1) {
    for (int i = 0; i < code.countOfLength[length]; ++i, ++next, ++index) {
      const auto entry = static_cast<uint16_t>(code.symbols[index] << 4 | length);
      for (uint32_t bits = Reversed(next, length); bits < code.fast.size(); bits += 1u << length)
        code.fast[bits] = entry;
    }
  }
  return true;
}

// The next symbol, or -1 at the end of the input or in an incomplete code's gap.
int ReadSymbol(BitReader& bits, const HuffmanCode& code) {
  int available = 0;
  const uint32_t next = bits.Peek(kFastBits, available);
  const uint16_t entry = code.fast[next];
  if (entry != 0 && (entry & 0xF) <= available) {
    bits.Consume(entry & 0xF);
    return entry >> 4;
  }
  int value = 0, first = 0, index = 0;
  for (int length = 1; length <= kMaxCodeBits; ++length) {
    uint32_t bit = 0;
    if (!bits.Read(1, bit)) return -1;
    value |= static_cast<int>(bit);
    const int count = code.countOfLength[length];
    if (value - first < count) return code.symbols[index + value - first];
    index += count;
    first = (first + count) << 1;
    value <<= 1;
  }
  return -1;
}

class Inflater {
 public:
  // A bound the caller knows to be the size (a picture's) is allocated at once.
  Inflater(const uint8_t* data, size_t size, size_t maxOutput)
      : bits_(data, size), max_(maxOutput), out_(std::min(maxOutput, kAllocatedAtOnce)) {}

  bool Run() {
    for (;;) {
      uint32_t last = 0, kind = 0;
      if (!bits_.Read(1, last) || !bits_.Read(2, kind)) return false;
      const bool ok = kind == 0   ? StoredBlock()
                      : kind == 1 ? FixedBlock()
                      : kind == 2 ? DynamicBlock()
                                  : false;
      if (!ok) return false;
      if (last) return true;
    }
  }

  BitReader& bits() { return bits_; }
  // The bytes written, once Run has ended.
  std::vector<uint8_t> TakeOutput() {
    out_.resize(size_);
    return std::move(out_);
  }

 private:
  // Room for `count` more bytes within the caller's bound; false past it.
  bool MakeRoom(size_t count) {
    if (max_ - size_ < count) return false;
    if (out_.size() - size_ < count)
      out_.resize(std::min(max_, std::max(size_ + count, out_.size() * 2 + 4096)));
    return true;
  }

  bool StoredBlock() {
    bits_.SkipToByte();
    const uint8_t* header = nullptr;
    if (!bits_.ReadBytes(4, header)) return false;
    const unsigned length = header[0] | header[1] << 8;
    const unsigned check = header[2] | header[3] << 8;
    const uint8_t* bytes = nullptr;
    if ((length ^ 0xFFFFu) != check || !MakeRoom(length) || !bits_.ReadBytes(length, bytes))
      return false;
    std::copy(bytes, bytes + length, out_.begin() + static_cast<ptrdiff_t>(size_));
    size_ += length;
    return true;
  }

  bool FixedBlock() {
    std::array<uint8_t, kLiteralCodes + kDistanceCodes> lengths{};
    for (int symbol = 0; symbol < kLiteralCodes; ++symbol)
      lengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
    for (int symbol = 0; symbol < kDistanceCodes; ++symbol) lengths[kLiteralCodes + symbol] = 5;
    HuffmanCode literals, distances;
    BuildCode(literals, lengths.data(), kLiteralCodes);
    BuildCode(distances, lengths.data() + kLiteralCodes, kDistanceCodes);
    return Codes(literals, distances);
  }

  bool DynamicBlock() {
    uint32_t literalCount = 0, distanceCount = 0, lengthCodeCount = 0;
    if (!bits_.Read(5, literalCount) || !bits_.Read(5, distanceCount) ||
        !bits_.Read(4, lengthCodeCount))
      return false;
    literalCount += 257;
    distanceCount += 1;
    lengthCodeCount += 4;
    if (literalCount > 286 || distanceCount > kDistanceCodes) return false;

    std::array<uint8_t, 19> codeLengthLengths{};
    for (uint32_t i = 0; i < lengthCodeCount; ++i) {
      uint32_t length = 0;
      if (!bits_.Read(3, length)) return false;
      codeLengthLengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(length);
    }
    HuffmanCode lengthCode;
    if (!BuildCode(lengthCode, codeLengthLengths.data(), 19)) return false;

    // Literal/length and distance lengths form one sequence: a repeat may cross between them.
    std::array<uint8_t, 286 + kDistanceCodes> lengths{};
    uint32_t filled = 0;
    while (filled < literalCount + distanceCount) {
      const int symbol = ReadSymbol(bits_, lengthCode);
      if (symbol < 0) return false;
      if (symbol < 16) {
        lengths[filled++] = static_cast<uint8_t>(symbol);
        continue;
      }
      uint8_t repeated = 0;
      uint32_t times = 0;
      if (symbol == 16) {
        if (filled == 0 || !bits_.Read(2, times)) return false;
        repeated = lengths[filled - 1];
        times += 3;
      } else if (symbol == 17) {
        if (!bits_.Read(3, times)) return false;
        times += 3;
      } else {
        if (!bits_.Read(7, times)) return false;
        times += 11;
      }
      if (filled + times > literalCount + distanceCount) return false;
      while (times-- > 0) lengths[filled++] = repeated;
    }
    if (lengths[kEndOfBlock] == 0) return false;  // a block that could never end
    HuffmanCode literals, distances;
    if (!BuildCode(literals, lengths.data(), static_cast<int>(literalCount)) ||
        !BuildCode(distances, lengths.data() + literalCount, static_cast<int>(distanceCount)))
      return false;
    return Codes(literals, distances);
  }

  bool Codes(const HuffmanCode& literals, const HuffmanCode& distances) {
    for (;;) {
      const int symbol = ReadSymbol(bits_, literals);
      if (symbol < 0) return false;
      if (symbol < 256) {
        if (!MakeRoom(1)) return false;
        out_[size_++] = static_cast<uint8_t>(symbol);
        continue;
      }
      if (symbol == kEndOfBlock) return true;
      const int lengthIndex = symbol - 257;
      if (lengthIndex >= static_cast<int>(kLengthBase.size())) return false;
      uint32_t extra = 0;
      if (!bits_.Read(kLengthExtra[lengthIndex], extra)) return false;
      const size_t length = kLengthBase[lengthIndex] + extra;

      const int distanceIndex = ReadSymbol(bits_, distances);
      if (distanceIndex < 0 || distanceIndex >= kDistanceCodes) return false;
      if (!bits_.Read(kDistanceExtra[distanceIndex], extra)) return false;
      const size_t distance = kDistanceBase[distanceIndex] + extra;
      if (distance > size_ || !MakeRoom(length)) return false;
      uint8_t* to = out_.data() + size_;
      const uint8_t* from = to - distance;
      if (distance >= length) {
        std::copy(from, from + length, to);
      } else {
        for (size_t i = 0; i < length; ++i) to[i] = from[i];  // overlapping: byte by byte
      }
      size_ += length;
    }
  }

  BitReader bits_;
  size_t max_;
  std::vector<uint8_t> out_;  // grown ahead of size_, the bytes written so far
  size_t size_ = 0;
};

uint32_t Adler32(const std::vector<uint8_t>& bytes) {
  constexpr uint32_t kModulus = 65521;
  constexpr size_t kRun = 5552;  // the most bytes whose sums cannot overflow 32 bits
  uint32_t low = 1, high = 0;
  for (size_t start = 0; start < bytes.size(); start += kRun) {
    const size_t end = std::min(bytes.size(), start + kRun);
    for (size_t i = start; i < end; ++i) {
      low += bytes[i];
      high += low;
    }
    low %= kModulus;
    high %= kModulus;
  }
  return high << 16 | low;
}

}  // namespace

std::optional<std::vector<uint8_t>> InflateZlib(const uint8_t* data, size_t size,
                                                size_t maxOutput) {
  if (!data || size < 2) return std::nullopt;
  const unsigned method = data[0], flags = data[1];
  const bool deflate = (method & 0x0F) == 8 && (method >> 4) <= 7;
  const bool presetDictionary = flags & 0x20;
  if (!deflate || presetDictionary || (method << 8 | flags) % 31 != 0) return std::nullopt;

  Inflater inflater(data + 2, size - 2, maxOutput);
  if (!inflater.Run()) return std::nullopt;
  inflater.bits().SkipToByte();
  const uint8_t* check = nullptr;
  if (!inflater.bits().ReadBytes(4, check)) return std::nullopt;
  const uint32_t expected = static_cast<uint32_t>(check[0]) << 24 |
                            static_cast<uint32_t>(check[1]) << 16 | check[2] << 8 | check[3];
  std::vector<uint8_t> output = inflater.TakeOutput();
  if (Adler32(output) != expected) return std::nullopt;
  return output;
}
