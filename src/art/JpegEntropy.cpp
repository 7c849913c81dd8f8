#include "art/JpegEntropy.h"

namespace nimbrel::art::jpeg {

ArtError BuildHuffmanTable(std::span<const std::uint8_t, 16> counts, std::span<const std::uint8_t> values,
                           HuffmanTable& table) {
  std::size_t total = 0;
  for (std::uint8_t c : counts) total += c;
  if (total > 256 || total != values.size()) return ArtError::BadData;
  table = HuffmanTable{};
  for (std::size_t i = 0; i < total; ++i) table.values[i] = values[i];
  int code = 0, index = 0;
  for (int len = 1; len <= 16; ++len) {
    const int count = counts[len - 1];
    // The codes must fit in `len` bits, and none may be all ones; checked
    // before any goes into the one-step table.
    if (count && code + count >= (1 << len)) return ArtError::BadData;
    table.valueOffset[len] = index - code;
    for (int i = 0; i < count; ++i, ++code, ++index) {
      if (len > kFastBits) continue;
      const int first = code << (kFastBits - len), n = 1 << (kFastBits - len);
      for (int j = 0; j < n; ++j) table.fast[first + j] = static_cast<std::uint16_t>(len << 8 | table.values[index]);
    }
    table.maxCode[len] = count ? code - 1 : -1;
    code <<= 1;
  }
  table.defined = true;
  return ArtError::None;
}

int EntropyReader::NextByte() {
  if (pos_ >= data_.size()) return -1;
  const std::uint8_t b = data_[pos_];
  if (b != 0xFF) {
    ++pos_;
    return b;
  }
  if (pos_ + 1 < data_.size() && data_[pos_ + 1] == 0x00) {
    pos_ += 2;
    return 0xFF;
  }
  return -1;  // a marker: the scan's data ends here
}

void EntropyReader::Refill() {
  while (count_ <= 56) {
    int byte = stopped_ ? -1 : NextByte();
    if (byte < 0) {
      stopped_ = true;
      ++padBytes_;
      byte = 0;
    }
    buf_ = (buf_ << 8) | static_cast<std::uint32_t>(byte);
    count_ += 8;
  }
}

std::uint32_t EntropyReader::Bits(int n) {
  if (n == 0) return 0;
  const std::uint32_t v = Peek(n);
  count_ -= n;
  return v;
}

int EntropyReader::Decode(const HuffmanTable& h) {
  const std::uint32_t bits = Peek(16);
  if (const std::uint16_t e = h.fast[bits >> (16 - kFastBits)]) {
    count_ -= e >> 8;
    return e & 0xFF;
  }
  for (int len = kFastBits + 1; len <= 16; ++len) {
    const int code = static_cast<int>(bits >> (16 - len));
    if (code <= h.maxCode[len]) {
      count_ -= len;
      return h.values[code + h.valueOffset[len]];
    }
  }
  return -1;
}

int EntropyReader::Receive(int size) {
  if (size == 0) return 0;
  const int v = static_cast<int>(Bits(size));
  return v < (1 << (size - 1)) ? v - (1 << size) + 1 : v;
}

void EntropyReader::Restart(std::size_t pos) {
  pos_ = pos;
  buf_ = 0;
  count_ = 0;
  padBytes_ = 0;
  stopped_ = false;
}

}  // namespace nimbrel::art::jpeg
