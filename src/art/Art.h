// The built-in art at the size the display wants: which of a picture's
// variants (drawn for 96, 144, 192 and 288 DPI) to use, and the whole way
// from the variants' bytes to the finished strip. The Win32 half
// (win/Art_win.h) finds the variants among the program's resources.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "art/Compose.h"
#include "art/Image.h"

namespace nimbrel::art {

// The index of the variant to scale from, for a strip of `frames` frames of
// frameWidth x height: the smallest one (by frame area, then frame width,
// then height) whose frames (width / frames x height) are at least that
// large; when none is, the largest by the same order. Equal sizes go to the
// first of them, so the choice doesn't depend on the variants' order.
// Variants whose frames would be empty are never chosen; -1 when none is
// left or an argument is below 1.
int ChooseVariant(std::span<const Size> sizes, int frames, int frameWidth, int height);

// The finished strip from the variants' bytes (PNG or JPEG, in any order):
// the variant is chosen by the sizes in their headers, decoded, laid over
// `background` when it has alpha, and scaled with ResampleFrames. A variant
// that fails to decode is dropped and the choice made again among the rest.
// Nothing when no variant can be used.
std::optional<Image> PrepareArt(std::span<const std::span<const std::uint8_t>> variants, int frames, int frameWidth,
                                int height, Rgb background = {});

}  // namespace nimbrel::art
