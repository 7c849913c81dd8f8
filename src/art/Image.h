// A decoded picture and the vocabulary the picture code shares: sizes, and
// the limits that keep damaged headers from asking for absurd amounts of
// memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nimbrel::art {

// Width and height in pixels.
struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(Size, Size) = default;
};

// 8-bit RGB pixels, rows top-down, three bytes per pixel (R, G, B), no row
// padding. `alpha` is empty for wholly opaque pictures, else one byte per
// pixel (255 = opaque), in the same order. Colour is not premultiplied.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  std::vector<std::uint8_t> alpha;

  bool HasAlpha() const { return !alpha.empty(); }
  Size size() const { return {width, height}; }
  // The first of a pixel's three bytes.
  std::uint8_t* Pixel(int x, int y) { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
  const std::uint8_t* Pixel(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

// The largest picture we decode or make. The built-in art's largest picture
// (the background at 288 DPI) is 963 x 699; these leave plenty of
// room and keep a damaged header (a width of 2^31) from allocating anything.
inline constexpr int kMaxSide = 32768;
inline constexpr std::int64_t kMaxPixels = std::int64_t{1} << 24;

// True when width x height is a size we are willing to hold.
constexpr bool SizeAllowed(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

}  // namespace nimbrel::art
