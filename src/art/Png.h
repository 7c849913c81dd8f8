// Our PNG decoder: 8-bit truecolour (colour type 2), truecolour with alpha
// (6), palette (3), grey (0) and grey with alpha (4); not interlaced. A
// tRNS chunk gives an alpha plane as well. Every chunk's CRC is checked.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "art/Image.h"

namespace nimbrel::art {

// True when `data` starts with the PNG signature.
bool IsPng(std::span<const std::uint8_t> data);

// The whole picture, or nothing with the reason in *error (when given).
std::optional<Image> DecodePng(std::span<const std::uint8_t> data, ArtError* error = nullptr);

// The size from the IHDR chunk alone, when the rest of the header (colour
// type, depth, interlacing, limits) is one DecodePng takes.
std::optional<Size> PeekPngSize(std::span<const std::uint8_t> data, ArtError* error = nullptr);

}  // namespace nimbrel::art
