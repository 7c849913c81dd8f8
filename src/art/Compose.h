// Laying a picture with alpha over what is behind it, leaving it opaque.
#pragma once

#include <cstdint>

#include "art/Image.h"

namespace nimbrel::art {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
};

// Blends each pixel over `background` by its alpha,
// (alpha x colour + (255 - alpha) x background) / 255 rounded, and drops
// the alpha plane. A picture without alpha is left as it is. Done before
// scaling (as PrepareArt does), this gives what blending the scaled
// picture with alpha-weighted colours would.
void ComposeOver(Image& picture, Rgb background);

// The same over the region of `background` whose top left corner is at
// (x, y), pixel for pixel; false (and nothing changed) when the picture
// doesn't lie wholly inside the background. Both should already be at
// their final size.
bool ComposeOver(Image& picture, const Image& background, int x, int y);

}  // namespace nimbrel::art
