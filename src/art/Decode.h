// Reading the program's pictures: PNG or JPEG, told by their signatures,
// decoded by stb_image.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "art/Image.h"

namespace nimbrel::art {

// The whole picture as 8-bit RGB (grey and palette pictures too, 16-bit
// samples taken to 8 bits), with an alpha plane when some pixel is not
// wholly opaque (an alpha channel, or a tRNS chunk's transparent colour).
// Nothing when the data is no PNG or JPEG stb_image reads, or the picture
// is larger than SizeAllowed.
std::optional<Image> DecodeImage(std::span<const std::uint8_t> data);

// The picture's size from its header alone (PNG's IHDR, JPEG's frame
// header), or nothing when it can't be read or is larger than SizeAllowed.
std::optional<Size> PeekSize(std::span<const std::uint8_t> data);

}  // namespace nimbrel::art
