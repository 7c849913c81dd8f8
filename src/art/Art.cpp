#include "art/Art.h"

#include <tuple>
#include <vector>

#include "art/Decode.h"
#include "art/Resample.h"

namespace nimbrel::art {

int ChooseVariant(std::span<const Size> sizes, int frames, int frameWidth, int height) {
  if (frames < 1 || frameWidth < 1 || height < 1) return -1;
  // The order variants are compared by: frame area, then width, then height.
  auto key = [&](const Size& s) {
    const int w = s.width / frames;
    return std::make_tuple(std::int64_t(w) * s.height, w, s.height);
  };
  int smallestLarge = -1, largest = -1;
  for (int i = 0; i < static_cast<int>(sizes.size()); ++i) {
    const Size& s = sizes[i];
    if (s.width / frames < 1 || s.height < 1) continue;
    const bool large = s.width / frames >= frameWidth && s.height >= height;
    if (large && (smallestLarge < 0 || key(s) < key(sizes[smallestLarge]))) smallestLarge = i;
    if (largest < 0 || key(s) > key(sizes[largest])) largest = i;
  }
  return smallestLarge >= 0 ? smallestLarge : largest;
}

std::optional<Image> PrepareArt(std::span<const std::span<const std::uint8_t>> variants, int frames, int frameWidth,
                                int height, Rgb background) {
  // Sizes from the headers; a variant that can't be read stays at 0 x 0,
  // which is never chosen.
  std::vector<Size> sizes(variants.size());
  for (std::size_t i = 0; i < variants.size(); ++i) sizes[i] = PeekSize(variants[i]).value_or(Size{});
  for (;;) {
    const int chosen = ChooseVariant(sizes, frames, frameWidth, height);
    if (chosen < 0) return std::nullopt;
    std::optional<Image> picture = DecodeImage(variants[chosen]);
    if (picture) {
      ComposeOver(*picture, background);
      if (std::optional<Image> strip = ResampleFrames(*picture, frames, frameWidth, height)) return strip;
    }
    sizes[chosen] = Size{};
  }
}

}  // namespace nimbrel::art
