// Reading a picture whatever its format: PNG or JPEG, told by the signature.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "art/Image.h"
#include "art/Jpeg.h"
#include "art/Png.h"

namespace nimbrel::art {

// DecodePng or DecodeJpeg by the data's signature; NotAPicture for neither.
std::optional<Image> DecodeImage(std::span<const std::uint8_t> data, ArtError* error = nullptr);

// The picture's size from its header alone (PNG's IHDR, JPEG's SOF), or
// nothing when the header is damaged or of a kind the decoders don't take.
std::optional<Size> PeekSize(std::span<const std::uint8_t> data, ArtError* error = nullptr);

}  // namespace nimbrel::art
