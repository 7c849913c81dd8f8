#include "art/Checksum.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace nimbrel::art {

namespace {

// The byte-at-a-time table, made once at compile time.
constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
  crc = ~crc;
  for (std::uint8_t b : bytes) crc = kCrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t Adler32(std::span<const std::uint8_t> bytes, std::uint32_t adler) {
  constexpr std::uint32_t kBase = 65521;
  // 5552 is the most bytes whose sums can't overflow 32 bits before the modulo.
  constexpr std::size_t kRun = 5552;
  std::uint32_t a = adler & 0xFFFF, b = adler >> 16;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t end = std::min(bytes.size(), i + kRun);
    for (; i < end; ++i) {
      a += bytes[i];
      b += a;
    }
    a %= kBase;
    b %= kBase;
  }
  return (b << 16) | a;
}

}  // namespace nimbrel::art
