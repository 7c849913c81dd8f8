// Our inflater and decoders against zlib, libpng and libjpeg, on many
// pictures those libraries make at test time: noise and gradients, sizes
// from 1 x 1 to 67 x 45, every PNG colour type and filter, zlib's levels and
// strategies, JPEG's samplings, restart intervals and scan layouts.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "ArtTestSupport.h"
#include "art/Decode.h"
#include "art/Inflate.h"
#include "reference/ReferenceCodecs.h"

namespace nimbrel::art {
namespace {

using reference::Bytes;
using reference::JpegOptions;
using reference::PngOptions;
using testing::Random;

// ---- inflate against zlib's deflate

Bytes Deflate(const Bytes& data, int level, int strategy, int windowBits, int memLevel) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, windowBits, memLevel, strategy), Z_OK);
  Bytes out(deflateBound(&z, data.size()) + data.size() / 4 + 1024);  // small windows store in small blocks
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Data of several characters: incompressible noise, text-like runs with
// matches near and far (up to zlib's 32 KiB window), and long repeats.
Bytes SampleData(int kind, std::size_t size, std::uint32_t seed) {
  Random random(seed);
  Bytes data(size);
  for (std::size_t i = 0; i < size; ++i) {
    if (kind == 0) data[i] = std::uint8_t(random.Next());
    if (kind == 1) data[i] = i >= 40000 && random.Below(4) ? data[i - 30000 - random.Below(2700)] : "abcde  fgh"[random.Below(10)];
    if (kind == 2) data[i] = std::uint8_t(i / 1000);
  }
  return data;
}

TEST(InflateAgainstZlib, EveryLevelStrategyAndWindowGivesTheOriginalBytes) {
  const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
  int streams = 0;
  for (std::size_t size : {0u, 1u, 2u, 259u, 65535u, 65536u, 140000u}) {
    for (int kind = 0; kind < 3; ++kind) {
      const Bytes data = SampleData(kind, size, std::uint32_t(size * 3 + kind));
      for (int level : {0, 1, 6, 9}) {
        for (int strategy : strategies) {
          const int windowBits = 9 + (streams % 7);  // 9 to 15
          const int memLevel = 1 + (streams % 9);    // small ones make many blocks
          const Bytes z = Deflate(data, level, strategy, windowBits, memLevel);
          Bytes out(data.size());
          ASSERT_EQ(InflateZlib(z, out), ArtError::None) << size << " " << kind << " " << level << " " << strategy;
          ASSERT_EQ(out, data) << size << " " << kind << " " << level << " " << strategy;
          ++streams;
        }
      }
    }
  }
  EXPECT_EQ(streams, 7 * 3 * 4 * 5);
}

TEST(InflateAgainstZlib, EveryTruncationOfACompressedStreamIsAnError) {
  const Bytes data = SampleData(1, 50000, 7);
  const Bytes z = Deflate(data, 9, Z_DEFAULT_STRATEGY, 15, 8);
  Bytes out(data.size());
  for (std::size_t length = 0; length < z.size(); length += 1 + length / 64) {
    EXPECT_NE(InflateZlib(std::span(z).first(length), out), ArtError::None) << length;
  }
}

// ---- PNG against libpng

// Samples for a picture of the colour type: noise, or gradients across it.
Bytes PngSamples(int width, int height, int colourType, bool noise, Random& random) {
  static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
  Bytes samples;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < kChannels[colourType]; ++c) {
        const int gradient = (x * 255 / std::max(1, width - 1) + y * (c + 1) * 97 / std::max(1, height)) & 255;
        const int value = noise ? random.Below(256) : gradient;
        samples.push_back(std::uint8_t(colourType == 3 ? value % 37 : value));
      }
  return samples;
}

PngOptions MakePngOptions(int colourType, int filters, int variant, Random& random) {
  static const int kStrategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
  PngOptions o;
  o.colourType = colourType;
  o.filters = filters;
  o.level = (variant * 3) % 10;
  o.strategy = kStrategies[variant % 5];
  if (colourType == 3) {
    for (int i = 0; i < 37 * 3; ++i) o.palette.push_back(std::uint8_t(random.Next()));
    if (variant % 2)
      for (int i = 0; i < 20; ++i) o.paletteAlpha.push_back(std::uint8_t(random.Next()));
  }
  return o;
}

struct PictureSize {
  int width, height;
};
constexpr PictureSize kSizes[] = {{1, 1}, {1, 7}, {7, 1}, {2, 2}, {3, 5}, {8, 8}, {16, 16}, {17, 9}, {33, 31}, {67, 45}};

TEST(PngAgainstLibpng, EveryColourTypeFilterAndSizeDecodesToTheSamePixels) {
  const int filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH,
                         PNG_ALL_FILTERS};
  Random random(1);
  int pictures = 0;
  for (int colourType : {0, 2, 3, 4, 6}) {
    for (int filter : filters) {
      for (const PictureSize& size : kSizes) {
        for (bool noise : {false, true}) {
          const PngOptions o = MakePngOptions(colourType, filter, pictures, random);
          const Bytes png = reference::EncodePng(size.width, size.height,
                                                 PngSamples(size.width, size.height, colourType, noise, random), o);
          const std::optional<Image> theirs = reference::DecodePngWithLibpng(png);
          ArtError error;
          const std::optional<Image> ours = DecodePng(png, &error);
          ASSERT_TRUE(theirs);
          ASSERT_TRUE(ours) << ErrorName(error) << " type " << colourType << " filter " << filter << " "
                            << size.width << "x" << size.height;
          EXPECT_EQ(ours->size(), theirs->size());
          EXPECT_EQ(ours->rgb, theirs->rgb) << "type " << colourType << " filter " << filter;
          EXPECT_EQ(ours->alpha, theirs->alpha) << "type " << colourType << " filter " << filter;
          EXPECT_EQ(PeekSize(png), (Size{size.width, size.height}));
          ++pictures;
        }
      }
    }
  }
  EXPECT_EQ(pictures, 5 * 6 * 10 * 2);
}

// ---- JPEG against libjpeg

using testing::kJpegTolerance;

struct JpegCase {
  const char* name;
  JpegOptions options;
};

const JpegCase kJpegCases[] = {
    {"4:4:4", {.quality = 90}},
    {"4:2:0", {.quality = 90, .lumaH = 2, .lumaV = 2}},
    {"4:2:2", {.quality = 75, .lumaH = 2, .lumaV = 1}},
    {"4:4:0", {.quality = 75, .lumaH = 1, .lumaV = 2}},
    {"grey", {.quality = 90, .grey = true}},
    {"4:2:0 restart every MCU", {.quality = 50, .lumaH = 2, .lumaV = 2, .restartMcus = 1}},
    {"4:4:4 restart every 5 MCUs", {.quality = 100, .restartMcus = 5}},
    {"grey restart every 3 MCUs", {.quality = 95, .grey = true, .restartMcus = 3}},
    {"4:2:0 scan per component", {.quality = 90, .lumaH = 2, .lumaV = 2, .scanPerComponent = true}},
    {"4:2:2 scans, restarts", {.quality = 85, .lumaH = 2, .restartMcus = 2, .scanPerComponent = true}},
    {"4:2:0 optimized tables", {.quality = 100, .lumaH = 2, .lumaV = 2, .optimize = true}},
};

Image JpegSource(int width, int height, bool noise, Random& random) {
  return testing::MakeImage(width, height, [&](int x, int y) {
    if (noise) return random.Next() & 0xFFFFFF;
    return std::uint32_t(x * 255 / std::max(1, width - 1)) << 16 | std::uint32_t(y * 255 / std::max(1, height - 1)) << 8 |
           std::uint32_t((x + y) * 4 & 255);
  });
}

// The largest difference of any sample; `counts` gathers how many differ by 0, 1, 2, ...
int MaxDifference(const Image& a, const Image& b, std::vector<long>& counts) {
  int most = 0;
  for (std::size_t i = 0; i < a.rgb.size(); ++i) {
    const int d = std::abs(a.rgb[i] - b.rgb[i]);
    most = std::max(most, d);
    if (counts.size() <= std::size_t(d)) counts.resize(d + 1);
    ++counts[d];
  }
  return most;
}

TEST(JpegAgainstLibjpeg, EverySamplingRestartAndScanLayoutDecodesWithinTheTolerance) {
  Random random(2);
  int pictures = 0;
  std::vector<long> counts;
  for (const JpegCase& c : kJpegCases) {
    for (const PictureSize& size : kSizes) {
      for (bool noise : {false, true}) {
        const Bytes jpeg = reference::EncodeJpeg(JpegSource(size.width, size.height, noise, random), c.options);
        const std::optional<Image> theirs = reference::DecodeJpegWithLibjpeg(jpeg);
        ArtError error;
        const std::optional<Image> ours = DecodeJpeg(jpeg, &error);
        ASSERT_TRUE(theirs);
        ASSERT_TRUE(ours) << ErrorName(error) << " " << c.name << " " << size.width << "x" << size.height;
        ASSERT_EQ(ours->size(), theirs->size());
        EXPECT_FALSE(ours->HasAlpha());
        const int difference = MaxDifference(*ours, *theirs, counts);
        EXPECT_LE(difference, kJpegTolerance) << c.name << " " << size.width << "x" << size.height << " noise " << noise;
        EXPECT_EQ(PeekSize(jpeg), (Size{size.width, size.height}));
        ++pictures;
      }
    }
  }
  EXPECT_EQ(pictures, int(std::size(kJpegCases)) * 10 * 2);
  std::printf("samples differing from libjpeg's by");
  for (std::size_t d = 0; d < counts.size(); ++d) std::printf(" %zu: %ld", d, counts[d]);
  std::printf("\n");
}

TEST(JpegAgainstLibjpeg, ProgressiveAndArithmeticFilesAreUnsupported) {
  Random random(3);
  const Image source = JpegSource(16, 16, false, random);
  for (const JpegOptions& o : {JpegOptions{.progressive = true}, JpegOptions{.arithmetic = true}}) {
    const Bytes jpeg = reference::EncodeJpeg(source, o);
    ASSERT_FALSE(jpeg.empty());
    ArtError error;
    EXPECT_FALSE(DecodeJpeg(jpeg, &error));
    EXPECT_EQ(error, ArtError::Unsupported);
    EXPECT_FALSE(PeekSize(jpeg, &error));
    EXPECT_EQ(error, ArtError::Unsupported);
  }
}

}  // namespace
}  // namespace nimbrel::art
