// Pictures made and read by Debian's libpng and libjpeg, to test our own
// decoders against. Native builds only.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "art/Image.h"

namespace nimbrel::art::reference {

using Bytes = std::vector<std::uint8_t>;

struct PngOptions {
  int colourType = 2;     // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
  int filters = 0xF8;     // libpng's PNG_FILTER_* mask (0xF8: all, chosen row by row)
  int level = 6;          // zlib level, 0 = stored blocks
  int strategy = 0;       // zlib strategy (Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED)
  std::vector<std::uint8_t> palette = {};       // RGB triples, for colour type 3
  std::vector<std::uint8_t> paletteAlpha = {};  // a tRNS chunk, for colour type 3
};

// `samples` holds each pixel's samples as the colour type has them (palette
// indices for type 3), rows top-down, no padding.
Bytes EncodePng(int width, int height, const Bytes& samples, const PngOptions& options);

// libpng's reading, expanded to RGB (palette and grey) plus alpha when the
// file has any (an alpha channel or tRNS).
std::optional<Image> DecodePngWithLibpng(const Bytes& png);

struct JpegOptions {
  int quality = 90;
  bool grey = false;
  int lumaH = 1, lumaV = 1;    // the luma's sampling factors; chroma is 1 x 1
  int restartMcus = 0;         // restart interval in MCUs, 0 for none
  bool scanPerComponent = false;  // one non-interleaved scan for each component
  bool optimize = false;       // Huffman tables made for the picture
  bool progressive = false;
  bool arithmetic = false;
};

Bytes EncodeJpeg(const Image& rgb, const JpegOptions& options);

// libjpeg's reading with its defaults: the accurate integer IDCT and the
// triangle ("fancy") chroma upsampling.
std::optional<Image> DecodeJpegWithLibjpeg(const Bytes& jpeg);

}  // namespace nimbrel::art::reference
