// Scaling a strip of frames to the size the display wants.
#pragma once

#include <optional>

#include "art/Image.h"

namespace nimbrel::art {

// A new strip of `frames` frames side by side, each exactly frameWidth x
// height. The source's frames are image width / frames wide (integer
// division: columns left over at the right are unused), and each is scaled
// on its own, so nothing of one frame bleeds into the next.
//
// Each direction is scaled separately. Scaling down (or keeping the size)
// is an exact area average: every target pixel is the mean of the source
// area it covers, edge pixels counted by the fraction covered, in integer
// arithmetic, rounded once (halves up). Scaling up, which only happens when
// no larger variant exists, is bilinear between the source pixels' centres,
// with the edge pixels repeated. A frame of the source's own size is an
// exact copy. Alpha, when the source has it, is scaled like the colours
// (the colours are not weighted by alpha: lay the picture over its
// background first when that matters, see ComposeOver).
//
// Nothing when a size is below 1, the source has fewer columns than frames,
// or the result would pass the size limits.
std::optional<Image> ResampleFrames(const Image& source, int frames, int frameWidth, int height);

}  // namespace nimbrel::art
