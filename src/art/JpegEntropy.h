// The JPEG decoder's entropy-coded data: Huffman tables and the bit reader
// that undoes byte stuffing and stops at markers. Internal to Jpeg.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "art/Image.h"

namespace nimbrel::art::jpeg {

inline constexpr int kFastBits = 9;  // codes up to this long decode in one look-up

// One DHT table, ready for decoding.
struct HuffmanTable {
  bool defined = false;
  std::uint8_t values[256] = {};
  int maxCode[17] = {};    // the largest code of each length, -1 when there is none
  int valueOffset[17] = {};  // index in values of a length's codes, less its first code
  std::uint16_t fast[1 << kFastBits] = {};  // (length << 8) | value; 0: a longer code
};

// Builds a table from the DHT's sixteen counts and its values. A table whose
// codes don't fit their lengths (or use an all-ones code) is BadData.
ArtError BuildHuffmanTable(std::span<const std::uint8_t, 16> counts, std::span<const std::uint8_t> values,
                           HuffmanTable& table);

// Reads the entropy-coded data of a scan, most significant bit first. A
// 0xFF 0x00 pair is a 0xFF data byte; any other 0xFF starts a marker, where
// the data ends: past it (or past the input) the reader gives zero bits,
// and Overrun() tells once one of those has been used.
class EntropyReader {
 public:
  EntropyReader(std::span<const std::uint8_t> data, std::size_t pos) : data_(data), pos_(pos) {}

  std::uint32_t Bits(int n);          // n <= 16
  int Decode(const HuffmanTable& h);  // the next value, or -1 when the bits are no code
  int Receive(int size);              // `size` bits as a signed coefficient (EXTEND)
  bool Overrun() const { return padBytes_ * 8 > static_cast<std::size_t>(count_); }

  // Forgets the buffered bits (at a restart or at the end of the scan) and
  // goes on from `pos`. position() is the first byte not yet buffered.
  void Restart(std::size_t pos);
  std::size_t position() const { return pos_; }

 private:
  std::uint32_t Peek(int n) {
    if (count_ < n) Refill();
    return static_cast<std::uint32_t>(buf_ >> (count_ - n)) & ((1u << n) - 1);
  }
  int NextByte();
  void Refill();

  std::span<const std::uint8_t> data_;
  std::size_t pos_;
  std::uint64_t buf_ = 0;
  int count_ = 0;
  std::size_t padBytes_ = 0;
  bool stopped_ = false;
};

}  // namespace nimbrel::art::jpeg
