// The two checksums PNG files carry: CRC-32 on every chunk and Adler-32 at
// the end of the zlib stream inside the picture data.
#pragma once

#include <cstdint>
#include <span>

namespace nimbrel::art {

// CRC-32 (ISO 3309, polynomial 0xEDB88320 reflected), continued from `crc`
// (0 for a fresh start), as PNG and zlib define it.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

// Adler-32 continued from `adler` (1 for a fresh start), as zlib defines it.
std::uint32_t Adler32(std::span<const std::uint8_t> bytes, std::uint32_t adler = 1);

}  // namespace nimbrel::art
