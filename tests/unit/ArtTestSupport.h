// Helpers for the picture tests: pictures made in memory, and a minimal PNG
// writer (stored deflate blocks) whose header fields the test controls, so
// that damaged headers still carry correct CRCs.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "art/Checksum.h"
#include "art/Image.h"

namespace nimbrel::art {
// Test failures name the error.
inline void PrintTo(ArtError error, std::ostream* out) { *out << ErrorName(error); }
}  // namespace nimbrel::art

namespace nimbrel::art::testing {

using Bytes = std::vector<std::uint8_t>;

// The most any sample of our JPEG decoding may differ from libjpeg's. Both
// compute the inverse DCT accurately (ours in floating point by the DCT's
// definition, libjpeg's "islow" in scaled integers) but round differently,
// within one level; the colour conversion turns a difference of one in Y,
// Cb and Cr into at most three in R, G or B (1 + 1.402 or 1 + 1.772,
// rounded); and the triangle upsampling rounds its halves up where libjpeg
// alternates up and down.
inline constexpr int kJpegTolerance = 3;

// A picture whose pixel (x, y) is colour(x, y) = 0xRRGGBB.
inline Image MakeImage(int width, int height, const std::function<std::uint32_t(int, int)>& colour) {
  Image image;
  image.width = width;
  image.height = height;
  image.rgb.resize(std::size_t(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = colour(x, y);
      std::uint8_t* p = image.Pixel(x, y);
      p[0] = std::uint8_t(c >> 16);
      p[1] = std::uint8_t(c >> 8);
      p[2] = std::uint8_t(c);
    }
  }
  return image;
}

// A small fast generator, the same on every build.
struct Random {
  std::uint32_t state;
  explicit Random(std::uint32_t seed) : state(seed * 2654435761u + 1) {}
  std::uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  int Below(int n) { return static_cast<int>(Next() % std::uint32_t(n)); }
};

inline void PutBigEndian32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

// `data` as a zlib stream of stored blocks.
inline Bytes StoredZlib(std::span<const std::uint8_t> data) {
  Bytes out = {0x78, 0x01};
  std::size_t pos = 0;
  do {
    const std::size_t n = std::min<std::size_t>(65535, data.size() - pos);
    out.push_back(pos + n == data.size() ? 1 : 0);
    out.push_back(std::uint8_t(n));
    out.push_back(std::uint8_t(n >> 8));
    out.push_back(std::uint8_t(~n));
    out.push_back(std::uint8_t(~n >> 8));
    out.insert(out.end(), data.begin() + pos, data.begin() + pos + n);
    pos += n;
  } while (pos < data.size());
  PutBigEndian32(out, Adler32(data));
  return out;
}

inline void AppendChunk(Bytes& png, const std::string& type, std::span<const std::uint8_t> data) {
  PutBigEndian32(png, static_cast<std::uint32_t>(data.size()));
  Bytes typeAndData(type.begin(), type.end());
  typeAndData.insert(typeAndData.end(), data.begin(), data.end());
  png.insert(png.end(), typeAndData.begin(), typeAndData.end());
  PutBigEndian32(png, Crc32(typeAndData));
}

struct PngHeader {
  std::uint32_t width = 1, height = 1;
  int depth = 8, colourType = 2, compression = 0, filter = 0, interlace = 0;
};

inline Bytes HeaderChunkData(const PngHeader& h) {
  Bytes d;
  PutBigEndian32(d, h.width);
  PutBigEndian32(d, h.height);
  for (int v : {h.depth, h.colourType, h.compression, h.filter, h.interlace}) d.push_back(std::uint8_t(v));
  return d;
}

// A PNG with the given header and `rows` (each row's filter byte, then its
// samples) as its one IDAT chunk; `extra` chunks go before it.
inline Bytes MakePng(const PngHeader& h, std::span<const std::uint8_t> rows,
                     const std::vector<std::pair<std::string, Bytes>>& extra = {}) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  AppendChunk(png, "IHDR", HeaderChunkData(h));
  for (const auto& [type, data] : extra) AppendChunk(png, type, data);
  AppendChunk(png, "IDAT", StoredZlib(rows));
  AppendChunk(png, "IEND", {});
  return png;
}

// The rows of an RGB picture with filter type 0.
inline Bytes UnfilteredRows(const Image& image) {
  Bytes rows;
  for (int y = 0; y < image.height; ++y) {
    rows.push_back(0);
    rows.insert(rows.end(), image.Pixel(0, y), image.Pixel(0, y) + 3 * image.width);
  }
  return rows;
}

}  // namespace nimbrel::art::testing
