// Our own zlib inflater (RFC 1950 around RFC 1951 deflate data: stored,
// fixed and dynamic Huffman blocks), for the PNG decoder.
#pragma once

#include <cstdint>
#include <span>

#include "art/Image.h"

namespace nimbrel::art {

// Inflates the zlib stream `stream` into `out`, which must be exactly as
// long as the data it holds: more output than that, or less, is BadData.
// Every length, distance and code is checked; a stream cut short gives
// Truncated and a wrong Adler-32 BadChecksum. Bytes after the checksum are
// ignored. A preset dictionary is Unsupported.
ArtError InflateZlib(std::span<const std::uint8_t> stream, std::span<std::uint8_t> out);

}  // namespace nimbrel::art
