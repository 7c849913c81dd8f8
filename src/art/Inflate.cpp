#include "art/Inflate.h"

#include <cstddef>

#include "art/Checksum.h"

namespace nimbrel::art {

namespace {

constexpr int kMaxBits = 15;         // the longest deflate code
constexpr int kFastBits = 9;         // codes up to this long decode in one look-up
constexpr int kMaxLitLen = 286;      // literal/length symbols a dynamic block may define
constexpr int kMaxDist = 30;         // distance symbols a dynamic block may define
constexpr int kFixedLitLen = 288;    // the fixed code also gives lengths to 286 and 287

// Deflate's bits, least significant first. Reading past the input yields
// zero bits, counted, so that padding can be told from data: Overrun() is
// true once any of them has been consumed.
class BitReader {
 public:
  explicit BitReader(std::span<const std::uint8_t> in) : p_(in.data()), end_(in.data() + in.size()) {}

  std::uint32_t Peek(int n) {
    if (count_ < n) Refill();
    return static_cast<std::uint32_t>(buf_ & ((std::uint64_t{1} << n) - 1));
  }
  void Drop(int n) {
    buf_ >>= n;
    count_ -= n;
  }
  std::uint32_t Bits(int n) {
    const std::uint32_t v = Peek(n);
    Drop(n);
    return v;
  }
  void AlignToByte() { Drop(count_ % 8); }
  bool Overrun() const { return padBytes_ * 8 > static_cast<std::size_t>(count_); }

 private:
  void Refill() {
    while (count_ <= 56) {
      std::uint64_t byte = 0;
      if (p_ < end_) {
        byte = *p_++;
      } else {
        ++padBytes_;
      }
      buf_ |= byte << count_;
      count_ += 8;
    }
  }

  const std::uint8_t* p_;
  const std::uint8_t* end_;
  std::uint64_t buf_ = 0;
  int count_ = 0;
  std::size_t padBytes_ = 0;
};

// A canonical Huffman code: how many codes of each length, the symbols in
// code order, and a table that decodes the short codes in one step.
struct Huffman {
  std::uint16_t count[kMaxBits + 1];
  std::uint16_t symbol[kFixedLitLen];
  std::uint16_t fast[1 << kFastBits];  // (length << 9) | symbol; 0: longer code or none
};

std::uint32_t Reverse(std::uint32_t code, int length) {
  std::uint32_t r = 0;
  for (int i = 0; i < length; ++i, code >>= 1) r = (r << 1) | (code & 1);
  return r;
}

// Fills the one-step table with every code of up to kFastBits bits, its bits
// reversed since the stream sends a code's first bit as the lowest.
void FillFastTable(Huffman& h) {
  for (auto& e : h.fast) e = 0;
  std::uint32_t code = 0;
  int index = 0;
  for (int len = 1; len <= kFastBits; ++len, code <<= 1) {
    for (int i = 0; i < h.count[len]; ++i, ++code) {
      const std::uint16_t entry = static_cast<std::uint16_t>((len << kFastBits) | h.symbol[index++]);
      for (std::uint32_t r = Reverse(code, len); r < (1u << kFastBits); r += 1u << len) h.fast[r] = entry;
    }
  }
}

// Builds the code for `n` code lengths (0 = symbol unused). Returns the code
// space left unused (0 for a complete code), or -1 when over-subscribed.
int Build(Huffman& h, const std::uint8_t* lengths, int n) {
  for (auto& c : h.count) c = 0;
  for (int s = 0; s < n; ++s) ++h.count[lengths[s]];
  int left = 1;
  for (int len = 1; len <= kMaxBits; ++len) {
    left = (left << 1) - h.count[len];
    if (left < 0) return -1;
  }
  std::uint16_t offset[kMaxBits + 2] = {};
  for (int len = 1; len <= kMaxBits; ++len) offset[len + 1] = offset[len] + h.count[len];
  for (int s = 0; s < n; ++s) {
    if (lengths[s] != 0) h.symbol[offset[lengths[s]]++] = static_cast<std::uint16_t>(s);
  }
  FillFastTable(h);
  return left;
}

// A literal/length or distance code is allowed to be incomplete only when it
// has a single code (of one bit), or none, as zlib allows.
bool UsableCode(const Huffman& h, int build, int n) {
  return build == 0 || (build > 0 && h.count[0] + h.count[1] == n);
}

// The next symbol, or -1 for a bit pattern that is no code.
int Decode(BitReader& in, const Huffman& h) {
  const std::uint32_t bits = in.Peek(kMaxBits);
  if (const std::uint16_t e = h.fast[bits & ((1u << kFastBits) - 1)]) {
    in.Drop(e >> kFastBits);
    return e & ((1 << kFastBits) - 1);
  }
  // Longer codes: walk the canonical code one bit at a time.
  int code = 0, first = 0, index = 0;
  for (int len = 1; len <= kMaxBits; ++len) {
    code |= (bits >> (len - 1)) & 1;
    const int count = h.count[len];
    if (code - count < first) {
      in.Drop(len);
      return h.symbol[index + (code - first)];
    }
    index += count;
    first = (first + count) << 1;
    code <<= 1;
  }
  return -1;
}

// The output so far, bounded by the size the caller expects.
struct Output {
  std::span<std::uint8_t> bytes;
  std::size_t pos = 0;
  std::size_t Room() const { return bytes.size() - pos; }
};

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                         193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Copies `length` bytes from `distance` back; the two may overlap.
ArtError CopyMatch(BitReader& in, const Huffman& dist, int lengthSymbol, Output& out) {
  if (lengthSymbol >= 29) return ArtError::BadData;
  const std::size_t length = kLengthBase[lengthSymbol] + in.Bits(kLengthExtra[lengthSymbol]);
  const int d = Decode(in, dist);
  if (d < 0 || d >= kMaxDist) return ArtError::BadData;
  const std::size_t distance = kDistBase[d] + in.Bits(kDistExtra[d]);
  if (in.Overrun()) return ArtError::Truncated;
  if (distance > out.pos || length > out.Room()) return ArtError::BadData;
  std::uint8_t* to = out.bytes.data() + out.pos;
  const std::uint8_t* from = to - distance;
  for (std::size_t i = 0; i < length; ++i) to[i] = from[i];
  out.pos += length;
  return ArtError::None;
}

// The symbols of one Huffman block, up to its end-of-block code.
ArtError InflateCodes(BitReader& in, const Huffman& litLen, const Huffman& dist, Output& out) {
  for (;;) {
    const int symbol = Decode(in, litLen);
    if (in.Overrun()) return ArtError::Truncated;
    if (symbol < 0) return ArtError::BadData;
    if (symbol < 256) {
      if (out.Room() == 0) return ArtError::BadData;
      out.bytes[out.pos++] = static_cast<std::uint8_t>(symbol);
    } else if (symbol == 256) {
      return ArtError::None;
    } else if (const ArtError e = CopyMatch(in, dist, symbol - 257, out); e != ArtError::None) {
      return e;
    }
  }
}

// A stored block: LEN, its complement NLEN, then LEN bytes as they are.
ArtError InflateStored(BitReader& in, Output& out) {
  in.AlignToByte();
  const std::uint32_t length = in.Bits(16);
  const std::uint32_t complement = in.Bits(16);
  if (in.Overrun()) return ArtError::Truncated;
  if (length != (~complement & 0xFFFF)) return ArtError::BadData;
  if (length > out.Room()) return ArtError::BadData;
  for (std::uint32_t i = 0; i < length; ++i) out.bytes[out.pos++] = static_cast<std::uint8_t>(in.Bits(8));
  return in.Overrun() ? ArtError::Truncated : ArtError::None;
}

ArtError InflateFixed(BitReader& in, Output& out) {
  static const struct FixedCodes {
    Huffman litLen, dist;
    FixedCodes() {
      std::uint8_t lengths[kFixedLitLen];
      for (int s = 0; s < kFixedLitLen; ++s) lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
      Build(litLen, lengths, kFixedLitLen);
      for (int s = 0; s < kMaxDist; ++s) lengths[s] = 5;  // 30 and 31 stay no code
      Build(dist, lengths, kMaxDist);
    }
  } fixed;
  return InflateCodes(in, fixed.litLen, fixed.dist, out);
}

// The code lengths of a dynamic block, themselves coded with the code-length
// code: 0-15 literally, 16 repeats the previous length, 17 and 18 zeros.
ArtError ReadCodeLengths(BitReader& in, const Huffman& lengthCode, std::uint8_t* lengths, int n) {
  int index = 0;
  while (index < n) {
    const int symbol = Decode(in, lengthCode);
    if (in.Overrun()) return ArtError::Truncated;
    if (symbol < 0) return ArtError::BadData;
    if (symbol < 16) {
      lengths[index++] = static_cast<std::uint8_t>(symbol);
      continue;
    }
    std::uint8_t repeated = 0;
    int times = 0;
    if (symbol == 16) {
      if (index == 0) return ArtError::BadData;
      repeated = lengths[index - 1];
      times = 3 + static_cast<int>(in.Bits(2));
    } else {
      times = symbol == 17 ? 3 + static_cast<int>(in.Bits(3)) : 11 + static_cast<int>(in.Bits(7));
    }
    if (times > n - index) return ArtError::BadData;
    while (times-- > 0) lengths[index++] = repeated;
  }
  return in.Overrun() ? ArtError::Truncated : ArtError::None;
}

ArtError InflateDynamic(BitReader& in, Output& out) {
  static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  const int nLitLen = static_cast<int>(in.Bits(5)) + 257;
  const int nDist = static_cast<int>(in.Bits(5)) + 1;
  const int nCode = static_cast<int>(in.Bits(4)) + 4;
  if (nLitLen > kMaxLitLen || nDist > kMaxDist) return ArtError::BadData;
  std::uint8_t lengths[kMaxLitLen + kMaxDist] = {};
  for (int i = 0; i < nCode; ++i) lengths[kOrder[i]] = static_cast<std::uint8_t>(in.Bits(3));
  if (in.Overrun()) return ArtError::Truncated;
  Huffman lengthCode, litLen, dist;
  if (Build(lengthCode, lengths, 19) != 0) return ArtError::BadData;  // must be complete
  if (const ArtError e = ReadCodeLengths(in, lengthCode, lengths, nLitLen + nDist); e != ArtError::None) return e;
  if (lengths[256] == 0) return ArtError::BadData;  // no end-of-block code
  if (!UsableCode(litLen, Build(litLen, lengths, nLitLen), nLitLen)) return ArtError::BadData;
  if (!UsableCode(dist, Build(dist, lengths + nLitLen, nDist), nDist)) return ArtError::BadData;
  return InflateCodes(in, litLen, dist, out);
}

// The blocks of the deflate stream, up to and including the final one.
ArtError InflateBlocks(BitReader& in, Output& out) {
  bool last = false;
  while (!last) {
    last = in.Bits(1) != 0;
    const std::uint32_t type = in.Bits(2);
    if (in.Overrun()) return ArtError::Truncated;
    ArtError e = ArtError::BadData;  // type 3 is reserved
    if (type == 0) e = InflateStored(in, out);
    if (type == 1) e = InflateFixed(in, out);
    if (type == 2) e = InflateDynamic(in, out);
    if (e != ArtError::None) return e;
  }
  return ArtError::None;
}

}  // namespace

ArtError InflateZlib(std::span<const std::uint8_t> stream, std::span<std::uint8_t> out) {
  if (stream.size() < 2) return ArtError::Truncated;
  const unsigned cmf = stream[0], flg = stream[1];
  if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7 || (cmf * 256 + flg) % 31 != 0) return ArtError::BadData;
  if (flg & 0x20) return ArtError::Unsupported;
  BitReader in(stream.subspan(2));
  Output output{out};
  if (const ArtError e = InflateBlocks(in, output); e != ArtError::None) return e;
  if (output.pos != out.size()) return ArtError::BadData;
  in.AlignToByte();
  std::uint32_t adler = 0;
  for (int i = 0; i < 4; ++i) adler = (adler << 8) | in.Bits(8);
  if (in.Overrun()) return ArtError::Truncated;
  return adler == Adler32(out) ? ArtError::None : ArtError::BadChecksum;
}

}  // namespace nimbrel::art
