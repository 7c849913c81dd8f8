#include "art/Decode.h"

#include <climits>
#include <cstdlib>
#include <memory>

#include "art/StbImage.h"

namespace nimbrel::art {

static_assert(STBI_MAX_DIMENSIONS == kMaxSide);

namespace {

struct FreePixels {
  void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

// RGBA pixels split into the picture's RGB and, when some pixel isn't
// opaque, its alpha plane.
Image Split(const stbi_uc* rgba, int width, int height) {
  Image image;
  image.width = width;
  image.height = height;
  const std::size_t count = std::size_t(width) * height;
  image.rgb.resize(count * 3);
  bool opaque = true;
  for (std::size_t i = 0; i < count; ++i) {
    for (int c = 0; c < 3; ++c) image.rgb[3 * i + c] = rgba[4 * i + c];
    opaque = opaque && rgba[4 * i + 3] == 255;
  }
  if (!opaque) {
    image.alpha.resize(count);
    for (std::size_t i = 0; i < count; ++i) image.alpha[i] = rgba[4 * i + 3];
  }
  return image;
}

}  // namespace

std::optional<Size> PeekSize(std::span<const std::uint8_t> data) {
  int width = 0, height = 0, channels = 0;
  if (data.size() > INT_MAX || !stbi_info_from_memory(data.data(), int(data.size()), &width, &height, &channels))
    return std::nullopt;
  if (!SizeAllowed(width, height)) return std::nullopt;
  return Size{width, height};
}

std::optional<Image> DecodeImage(std::span<const std::uint8_t> data) {
  // The header first, so that no absurd size is ever allocated.
  const std::optional<Size> size = PeekSize(data);
  if (!size) return std::nullopt;
  int width = 0, height = 0, channels = 0;
  const std::unique_ptr<stbi_uc, FreePixels> rgba(
      stbi_load_from_memory(data.data(), int(data.size()), &width, &height, &channels, 4));
  if (!rgba || width != size->width || height != size->height) return std::nullopt;
  return Split(rgba.get(), width, height);
}

}  // namespace nimbrel::art
