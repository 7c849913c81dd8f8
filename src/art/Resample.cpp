#include "art/Resample.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "art/StbImage.h"

namespace nimbrel::art {

namespace {

bool Consistent(const Image& image) {
  const std::size_t n = std::size_t(image.width) * image.height;
  return image.width >= 1 && image.height >= 1 && image.rgb.size() == 3 * n &&
         (image.alpha.empty() || image.alpha.size() == n);
}

// The box filter scaling down (or keeping the size), the triangle filter
// (bilinear) scaling up.
stbir_filter FilterFor(int source, int target) { return target <= source ? STBIR_FILTER_BOX : STBIR_FILTER_TRIANGLE; }

// Scales every frame of one interleaved plane (RGB or alpha): frame f of
// the source starts f x (its frame width) samples into each row, and lands
// f x frameWidth into the target's rows.
bool ScalePlane(const std::uint8_t* source, const Image& from, int channels, std::uint8_t* target, int frames,
                int frameWidth, int height) {
  const int sourceFrameWidth = from.width / frames;
  const int sourceStride = from.width * channels, targetStride = frames * frameWidth * channels;
  const bool copy = sourceFrameWidth == frameWidth && from.height == height;
  for (int f = 0; f < frames; ++f) {
    const std::uint8_t* in = source + std::size_t(f) * sourceFrameWidth * channels;
    std::uint8_t* out = target + std::size_t(f) * frameWidth * channels;
    if (copy) {
      for (int y = 0; y < height; ++y)
        std::copy_n(in + std::size_t(y) * sourceStride, std::size_t(frameWidth) * channels, out + std::size_t(y) * targetStride);
    } else if (!stbir_resize(in, sourceFrameWidth, from.height, sourceStride, out, frameWidth, height, targetStride,
                             STBIR_TYPE_UINT8, channels, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_EDGE_CLAMP,
                             FilterFor(sourceFrameWidth, frameWidth), FilterFor(from.height, height),
                             STBIR_COLORSPACE_LINEAR, nullptr)) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<Image> ResampleFrames(const Image& source, int frames, int frameWidth, int height) {
  if (frames < 1 || frameWidth < 1 || height < 1 || !Consistent(source) || source.width < frames) return std::nullopt;
  if (!SizeAllowed(std::int64_t(frames) * frameWidth, height)) return std::nullopt;
  Image out;
  out.width = frames * frameWidth;
  out.height = height;
  const std::size_t n = std::size_t(out.width) * height;
  out.rgb.resize(3 * n);
  if (!ScalePlane(source.rgb.data(), source, 3, out.rgb.data(), frames, frameWidth, height)) return std::nullopt;
  if (source.HasAlpha()) {
    out.alpha.resize(n);
    if (!ScalePlane(source.alpha.data(), source, 1, out.alpha.data(), frames, frameWidth, height)) return std::nullopt;
  }
  return out;
}

}  // namespace nimbrel::art
