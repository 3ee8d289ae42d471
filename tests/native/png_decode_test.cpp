// The installer's own PNG reader against references: zlib for the inflater, ImageMagick
// for whole pictures (every picture the installer carries, and pictures made with each
// row filter). Damaged input must be refused, never read out of bounds.
#include "ui/images/inflate.h"
#include "ui/images/png_decode.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <unistd.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What ImageMagick reads from `png`: straight B,G,R,A bytes.
Bytes ReferencePixels(const fs::path& png) {
  const std::string command = "convert '" + png.string() + "' -depth 8 BGRA:-";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {};
  Bytes pixels;
  uint8_t chunk[65536];
  for (size_t got; (got = fread(chunk, 1, sizeof(chunk), pipe)) > 0;)
    pixels.insert(pixels.end(), chunk, chunk + got);
  pclose(pipe);
  return pixels;
}

void ExpectSameAsReference(const fs::path& png) {
  SCOPED_TRACE(png.string());
  const Bytes file = ReadFile(png);
  const std::optional<DecodedPng> decoded = DecodePng(file.data(), file.size(), 8192);
  ASSERT_TRUE(decoded.has_value());
  const Bytes reference = ReferencePixels(png);
  ASSERT_EQ(reference.size(), size_t{decoded->width} * decoded->height * 4);
  EXPECT_TRUE(decoded->bgra == reference);
}

Bytes Deflate(const Bytes& input, int level, int strategy) {
  z_stream stream{};
  EXPECT_EQ(deflateInit2(&stream, level, Z_DEFLATED, 15, 9, strategy), Z_OK);
  Bytes output(deflateBound(&stream, input.size()));
  stream.next_in = const_cast<uint8_t*>(input.data());
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = output.data();
  stream.avail_out = static_cast<uInt>(output.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  output.resize(stream.total_out);
  deflateEnd(&stream);
  return output;
}

// Random bytes with long repeats in them, so matches of every length and distance occur.
Bytes MixedData(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes data;
  while (data.size() < size) {
    if (data.size() > 300 && random() % 3 == 0) {
      const size_t distance = 1 + random() % std::min<size_t>(data.size(), 40000);
      const size_t length = 3 + random() % 300;
      for (size_t i = 0; i < length; ++i) data.push_back(data[data.size() - distance]);
    } else {
      data.push_back(static_cast<uint8_t>(random() % 7 == 0 ? random() : 'a' + random() % 4));
    }
  }
  data.resize(size);
  return data;
}

}  // namespace

TEST(InflateZlib, ReadsWhatZlibWritesInEveryBlockKind) {
  const Bytes data = MixedData(200000, 7);
  for (const auto& [level, strategy] :
       {std::pair{0, Z_DEFAULT_STRATEGY}, {1, Z_DEFAULT_STRATEGY}, {9, Z_DEFAULT_STRATEGY},
        {6, Z_FIXED}, {6, Z_HUFFMAN_ONLY}, {6, Z_RLE}}) {
    SCOPED_TRACE(testing::Message() << "level " << level << ", strategy " << strategy);
    const Bytes compressed = Deflate(data, level, strategy);
    const auto inflated = InflateZlib(compressed.data(), compressed.size(), data.size());
    ASSERT_TRUE(inflated.has_value());
    EXPECT_TRUE(*inflated == data);
    // One byte more than the caller allows is refused, not written.
    EXPECT_FALSE(InflateZlib(compressed.data(), compressed.size(), data.size() - 1));
  }
  const Bytes empty = Deflate({}, 6, Z_DEFAULT_STRATEGY);
  EXPECT_EQ(InflateZlib(empty.data(), empty.size(), 0), Bytes{});
}

// A flipped bit may still leave a valid stream (a stored block's padding, or a change the
// weak Adler-32 misses): whatever zlib makes of it, the inflater must make too.
TEST(InflateZlib, RefusesEveryTruncationAndReadsFlippedBitsAsZlibDoes) {
  const Bytes data = MixedData(3000, 11);
  for (int level : {0, 9}) {
    const Bytes compressed = Deflate(data, level, Z_DEFAULT_STRATEGY);
    for (size_t cut = 0; cut < compressed.size(); ++cut)
      EXPECT_FALSE(InflateZlib(compressed.data(), cut, data.size())) << "cut at " << cut;
    for (size_t bit = 0; bit < compressed.size() * 8; ++bit) {
      Bytes damaged = compressed;
      damaged[bit / 8] ^= static_cast<uint8_t>(1 << bit % 8);
      const auto inflated = InflateZlib(damaged.data(), damaged.size(), data.size() * 2);
      Bytes reference(data.size() * 2);
      uLongf referenceSize = reference.size();
      const bool zlibReads =
          uncompress(reference.data(), &referenceSize, damaged.data(), damaged.size()) == Z_OK;
      reference.resize(referenceSize);
      ASSERT_EQ(inflated.has_value(), zlibReads) << "bit " << bit << " of level " << level;
      if (inflated) {
        EXPECT_TRUE(*inflated == reference) << "bit " << bit << " of level " << level;
      }
    }
  }
}

TEST(DecodePng, ReadsEveryCarriedPictureAsImageMagickDoes) {
  const char* source = std::getenv("LUMETRA_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  int pictures = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(source) / "res" / "png")) {
    ExpectSameAsReference(entry.path());
    ++pictures;
  }
  EXPECT_GT(pictures, 50);
}

TEST(DecodePng, ReadsEachRowFilterAndBothColourForms) {
  const fs::path folder = fs::temp_directory_path() / ("png_decode_test." + std::to_string(getpid()));
  fs::create_directories(folder);
  const std::pair<std::string, std::string> forms[] = {
      {"6", "xc:none -seed 5 +noise Random -channel A +noise Random +channel"},
      {"2", "xc:white -seed 5 +noise Random -alpha off"}};
  for (const auto& [colour, noise] : forms) {
    for (int filter = 0; filter <= 5; ++filter) {  // 5: a filter chosen per row
      const fs::path png = folder / ("noise-" + colour + "-" + std::to_string(filter) + ".png");
      const std::string command = "convert -size 37x29 " + noise +
                                  " -depth 8 -define png:color-type=" + colour +
                                  " -define png:compression-filter=" + std::to_string(filter) +
                                  " '" + png.string() + "'";
      ASSERT_EQ(std::system(command.c_str()), 0) << command;
      ExpectSameAsReference(png);
    }
  }
  fs::remove_all(folder);
}

TEST(DecodePng, RefusesDamagedPicturesAndFormsItDoesNotRead) {
  const char* source = std::getenv("LUMETRA_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  const Bytes picture = ReadFile(fs::path(source) / "res" / "png" / "154.png");
  ASSERT_TRUE(DecodePng(picture.data(), picture.size(), 8192));
  for (size_t cut = 0; cut < picture.size(); ++cut)
    EXPECT_FALSE(DecodePng(picture.data(), cut, 8192)) << "cut at " << cut;
  for (size_t at = 0; at < picture.size(); ++at) {
    Bytes damaged = picture;
    damaged[at] ^= 0x10;
    EXPECT_FALSE(DecodePng(damaged.data(), damaged.size(), 8192)) << "byte " << at;
  }
  EXPECT_FALSE(DecodePng(picture.data(), picture.size(), 25)) << "wider than allowed";

  // A palette picture is valid PNG but not this reader's form: the platform reads it.
  const fs::path palette = fs::temp_directory_path() / ("palette." + std::to_string(getpid()) + ".png");
  ASSERT_EQ(std::system(("convert -size 8x8 xc:red -type Palette 'PNG8:" + palette.string() + "'").c_str()), 0);
  const Bytes paletteFile = ReadFile(palette);
  fs::remove(palette);
  EXPECT_FALSE(DecodePng(paletteFile.data(), paletteFile.size(), 8192));
}
