#include "download/md5_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

TEST(Md5Core, Rfc1321TestSuite) {
  EXPECT_EQ(Md5OfBytes(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5OfBytes("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(Md5OfBytes("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5OfBytes("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(Md5OfBytes("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(Md5OfBytes("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "d174ab98d277d9f5a5611c2c9f419d9f");
  EXPECT_EQ(Md5OfBytes("1234567890123456789012345678901234567890"
                       "1234567890123456789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
}

// 56 and 63 bytes leave no room for the length (an extra block follows), 64 bytes end
// on a block boundary (a padding-only block follows).
TEST(Md5Core, PaddingAroundBlockBoundaries) {
  const struct {
    size_t length;
    const char* digest;
  } cases[] = {
      {55, "ef1772b6dff9a122358552954ad0df65"},  {56, "3b0c8ac703f828b04c6c197006d17218"},
      {63, "b06521f39153d618550606be297466d5"},  {64, "014842d480b571495a4a0363793f7367"},
      {65, "c743a45e0d2e6a95cb859adae0248435"},  {119, "8a7bd0732ed6a28ce75f6dabc90e1613"},
      {120, "5f61c0ccad4cac44c75ff505e1f1e537"}, {127, "020406e1d05cdc2aa287641f7ae2cc39"},
      {128, "e510683b3f5ffe4093d021808bc6ff70"},
  };
  for (const auto& c : cases) EXPECT_EQ(Md5OfBytes(std::string(c.length, 'a')), c.digest) << c.length;
}

// A source that hands out its bytes a few at a time, as a pipe or a slow disk may.
class TricklingSource : public Md5Source {
 public:
  explicit TricklingSource(std::string bytes) : bytes_(std::move(bytes)) {}
  size_t Read(unsigned char* buffer, size_t size) override {
    size_t n = std::min({size, bytes_.size() - pos_, size_t{1} + pos_ % 7});
    std::copy_n(bytes_.data() + pos_, n, buffer);
    pos_ += n;
    return n;
  }

 private:
  std::string bytes_;
  size_t pos_ = 0;
};

class CountingPacer : public Md5Pacer {
 public:
  void BetweenChunks() override { ++calls; }
  int calls = 0;
};

TEST(Md5Core, ShortReadsGiveTheSameDigestAndThePacerRunsPerChunk) {
  std::string bytes(2 * kMd5ChunkBytes + 100, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 + (i >> 9));
  TricklingSource source(bytes);
  CountingPacer pacer;
  Md5Computation computation;
  EXPECT_EQ(computation.Run(source, &pacer), Md5OfBytes(bytes));
  EXPECT_EQ(computation.bytesRead(), bytes.size());
  EXPECT_EQ(pacer.calls, 3);
}

TEST(Md5Core, NullStreamDigestsAsEmptyInput) {
  StdioMd5Source source(nullptr);
  EXPECT_EQ(Md5Computation().Run(source), "d41d8cd98f00b204e9800998ecf8427e");
}

#ifndef _WIN32
// The digest of files of many sizes, read through a C stream, against md5sum.
std::string Md5sumOf(const std::filesystem::path& file) {
  const std::string command = "md5sum '" + file.string() + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "";
  char line[256] = {};
  const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
  pclose(pipe);
  return read ? std::string(line, 32) : "";
}

TEST(Md5Core, RandomFilesMatchMd5sum) {
  const auto folder = std::filesystem::temp_directory_path() /
                      ("lumetra_md5_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::mt19937 random(20240611);
  std::vector<size_t> sizes = {0, 1, 55, 56, 63, 64, 65, 1000, 4095, 65536,
                               kMd5ChunkBytes - 1, kMd5ChunkBytes, kMd5ChunkBytes + 1,
                               kMd5ChunkBytes + 56, 3 * kMd5ChunkBytes - 8};
  for (int i = 0; i < 12; ++i) sizes.push_back(random() % (3 * kMd5ChunkBytes));
  for (size_t size : sizes) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    const auto file = folder / ("f" + std::to_string(size));
    std::FILE* out = std::fopen(file.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);

    std::FILE* in = std::fopen(file.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    StdioMd5Source source(in);
    const std::string digest = Md5Computation().Run(source);
    std::fclose(in);
    const std::string expected = Md5sumOf(file);
    ASSERT_EQ(expected.size(), 32u) << "md5sum failed on " << file;
    EXPECT_EQ(digest, expected) << size << " bytes";
  }
  std::filesystem::remove_all(folder);
}
#endif

}  // namespace
