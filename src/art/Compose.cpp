#include "art/Compose.h"

#include <cstddef>

namespace nimbrel::art {

namespace {

std::uint8_t Blend(int colour, int behind, int alpha) {
  return static_cast<std::uint8_t>((alpha * colour + (255 - alpha) * behind + 127) / 255);
}

}  // namespace

void ComposeOver(Image& picture, Rgb background) {
  if (!picture.HasAlpha()) return;
  const std::uint8_t behind[3] = {background.r, background.g, background.b};
  for (std::size_t i = 0; i < picture.alpha.size(); ++i)
    for (int c = 0; c < 3; ++c) picture.rgb[3 * i + c] = Blend(picture.rgb[3 * i + c], behind[c], picture.alpha[i]);
  picture.alpha.clear();
}

bool ComposeOver(Image& picture, const Image& background, int x, int y) {
  if (x < 0 || y < 0 || x > background.width - picture.width || y > background.height - picture.height) return false;
  if (!picture.HasAlpha()) return true;
  for (int row = 0; row < picture.height; ++row) {
    for (int col = 0; col < picture.width; ++col) {
      std::uint8_t* p = picture.Pixel(col, row);
      const std::uint8_t* behind = background.Pixel(x + col, y + row);
      const int alpha = picture.alpha[std::size_t(row) * picture.width + col];
      for (int c = 0; c < 3; ++c) p[c] = Blend(p[c], behind[c], alpha);
    }
  }
  picture.alpha.clear();
  return true;
}

}  // namespace nimbrel::art
