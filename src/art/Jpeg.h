// Our JPEG decoder: sequential DCT with Huffman coding (baseline and
// extended, SOF0 and SOF1), 8-bit samples, one component (grey) or three
// (YCbCr), sampling factors of 1 or 2 in each direction (4:4:4, 4:2:2,
// 4:4:0, 4:2:0), restart intervals, interleaved or one scan per component.
// Progressive, lossless, hierarchical, arithmetic-coded and 12-bit files
// are Unsupported. Three components are taken as JFIF's YCbCr (an Adobe
// marker asking for RGB or CMYK is not read). Chroma is upsampled with
// the triangle filter.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "art/Image.h"

namespace nimbrel::art {

// True when `data` starts with a JPEG's start-of-image marker.
bool IsJpeg(std::span<const std::uint8_t> data);

// The whole picture (never with alpha), or nothing with the reason in
// *error (when given).
std::optional<Image> DecodeJpeg(std::span<const std::uint8_t> data, ArtError* error = nullptr);

// The size from the frame header (SOF) alone, when the frame is of a kind
// DecodeJpeg takes; the markers before it are skipped by their lengths.
std::optional<Size> PeekJpegSize(std::span<const std::uint8_t> data, ArtError* error = nullptr);

}  // namespace nimbrel::art
