// Helpers for the picture tests: pictures made in memory, and PNG files
// written from them by Debian's stb_image_write (in the tests only).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "art/Image.h"

namespace nimbrel::art::testing {

using Bytes = std::vector<std::uint8_t>;

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

// `pixels` (rows top-down, `channels` bytes a pixel: 1 grey, 2 grey and
// alpha, 3 RGB, 4 RGBA) as a PNG file.
Bytes EncodePng(int width, int height, int channels, const Bytes& pixels);

}  // namespace nimbrel::art::testing
