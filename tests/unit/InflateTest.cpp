// The inflater on streams made by hand: each kind of block, and each way a
// stream can be damaged. (Streams from zlib itself: ArtReferenceTest.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ArtTestSupport.h"
#include "art/Checksum.h"
#include "art/Inflate.h"

namespace nimbrel::art {
namespace {

using testing::Bytes;

// Deflate's bits, least significant first; Huffman codes go most
// significant bit first.
struct BitWriter {
  Bytes bytes;
  int used = 8;
  void Bits(std::uint32_t value, int n) {
    for (int i = 0; i < n; ++i) Bit((value >> i) & 1);
  }
  void Code(std::uint32_t code, int n) {
    for (int i = n - 1; i >= 0; --i) Bit((code >> i) & 1);
  }
  void Bit(int b) {
    if (used == 8) {
      bytes.push_back(0);
      used = 0;
    }
    bytes.back() |= std::uint8_t(b << used++);
  }
  // A symbol of the fixed literal/length code.
  void Fixed(int symbol) {
    if (symbol < 144) Code(0x30 + symbol, 8);
    else if (symbol < 256) Code(0x190 + symbol - 144, 9);
    else if (symbol < 280) Code(symbol - 256, 7);
    else Code(0xC0 + symbol - 280, 8);
  }
};

// A zlib stream around deflate data, with the Adler-32 of `expected`.
Bytes Zlib(const Bytes& deflate, const Bytes& expected) {
  Bytes z(deflate.size() + 2);
  z[0] = 0x78;
  z[1] = 0x9C;
  std::copy(deflate.begin(), deflate.end(), z.begin() + 2);
  testing::PutBigEndian32(z, Adler32(expected));
  return z;
}

ArtError Inflate(const Bytes& z, std::size_t size, Bytes* out = nullptr) {
  Bytes buffer(size);
  const ArtError e = InflateZlib(z, buffer);
  if (out) *out = buffer;
  return e;
}

TEST(Checksums, MatchTheirPublishedCheckValues) {
  const std::string text = "123456789";
  const Bytes digits(text.begin(), text.end());
  EXPECT_EQ(Crc32(digits), 0xCBF43926u);
  EXPECT_EQ(Crc32(std::span(digits).subspan(4), Crc32(std::span(digits).first(4))), 0xCBF43926u);
  const std::string wiki = "Wikipedia";
  EXPECT_EQ(Adler32(Bytes(wiki.begin(), wiki.end())), 0x11E60398u);
}

TEST(Checksums, AdlerOverLongRunsKeepsItsSumsReduced) {
  const Bytes ones(100000, 0xFF);
  std::uint32_t a = 1, b = 0;  // the definition, reduced after every byte
  for (std::uint8_t v : ones) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  EXPECT_EQ(Adler32(ones), (b << 16) | a);
}

TEST(Inflate, StoredBlocksCarryTheirBytes) {
  Bytes data(70000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = std::uint8_t(i * 7);
  Bytes out;
  ASSERT_EQ(Inflate(testing::StoredZlib(data), data.size(), &out), ArtError::None);  // two blocks
  EXPECT_EQ(out, data);
  EXPECT_EQ(Inflate(testing::StoredZlib({}), 0), ArtError::None);
}

TEST(Inflate, FixedBlockMatchesMayOverlapTheirOwnOutput) {
  BitWriter w;
  w.Bits(1, 1);  // last block
  w.Bits(1, 2);  // fixed codes
  w.Fixed('a');
  w.Fixed('b');
  w.Fixed(261);  // length 7
  w.Code(1, 5);  // distance 2
  w.Fixed(256);
  const Bytes expected = {'a', 'b', 'a', 'b', 'a', 'b', 'a', 'b', 'a'};
  Bytes out;
  ASSERT_EQ(Inflate(Zlib(w.bytes, expected), expected.size(), &out), ArtError::None);
  EXPECT_EQ(out, expected);
}

// A fixed block with a literal 'x', then `symbol`, then (for lengths) the
// distance code `distance`, then end of block.
Bytes FixedStream(int symbol, int distance) {
  BitWriter w;
  w.Bits(1, 1);
  w.Bits(1, 2);
  w.Fixed('x');
  w.Fixed(symbol);
  if (symbol > 256) w.Code(distance, 5);
  w.Fixed(256);
  return Zlib(w.bytes, Bytes{'x', 'x', 'x', 'x'});
}

TEST(Inflate, DamagedFixedBlocksAreErrors) {
  struct Case {
    const char* what;
    Bytes stream;
    std::size_t size;
    ArtError expected;
  };
  const Case cases[] = {
      {"match within the output", FixedStream(257, 0), 4, ArtError::None},
      {"distance before the start", FixedStream(257, 1), 4, ArtError::BadData},
      {"length symbol 286", FixedStream(286, 0), 4, ArtError::BadData},
      {"length symbol 287", FixedStream(287, 0), 4, ArtError::BadData},
      {"distance symbol 30", FixedStream(257, 30), 4, ArtError::BadData},
      {"distance symbol 31", FixedStream(257, 31), 4, ArtError::BadData},
      {"more output than expected", FixedStream(257, 0), 3, ArtError::BadData},
      {"less output than expected", FixedStream(257, 0), 5, ArtError::BadData},
  };
  for (const Case& c : cases) EXPECT_EQ(Inflate(c.stream, c.size), c.expected) << c.what;
}

// A dynamic block's header: 257 literal/length and 1 distance code, then
// the code-length code's lengths in their transmitted order.
BitWriter DynamicHeader(int extraLiteralCodes, const std::vector<int>& lengthCodeLengths) {
  BitWriter w;
  w.Bits(1, 1);
  w.Bits(2, 2);
  w.Bits(extraLiteralCodes, 5);
  w.Bits(0, 5);
  w.Bits(static_cast<std::uint32_t>(lengthCodeLengths.size() - 4), 4);
  for (int length : lengthCodeLengths) w.Bits(length, 3);
  return w;
}

TEST(Inflate, DamagedDynamicHeadersAreErrors) {
  // Symbols 16 and 17 (the first two sent) with one bit each: '0' is 16.
  BitWriter repeatFirst = DynamicHeader(0, {1, 1, 0, 0});
  repeatFirst.Code(0, 1);  // "repeat the previous length" with none before
  repeatFirst.Bits(0, 2);
  BitWriter incomplete = DynamicHeader(0, {1, 0, 0, 0});  // one code of one bit: half the space unused
  BitWriter oversubscribed = DynamicHeader(0, {1, 1, 1, 0});
  BitWriter tooManyLiterals = DynamicHeader(30, {1, 1, 0, 0});  // 287 literal/length codes
  BitWriter zerosPastTheEnd = DynamicHeader(0, {1, 1, 0, 0});
  for (int i = 0; i < 27; ++i) {  // 17 with 7: ten zeros, 27 times over the 258 lengths
    zerosPastTheEnd.Code(1, 1);
    zerosPastTheEnd.Bits(7, 3);
  }
  const std::pair<const char*, BitWriter*> cases[] = {{"repeat with nothing before", &repeatFirst},
                                                      {"incomplete code-length code", &incomplete},
                                                      {"over-subscribed code-length code", &oversubscribed},
                                                      {"287 literal/length codes", &tooManyLiterals},
                                                      {"zeros past the last length", &zerosPastTheEnd}};
  for (const auto& [what, w] : cases) {
    w->Bits(0, 32);  // so that none of them ends early
    EXPECT_EQ(Inflate(Zlib(w->bytes, {}), 10), ArtError::BadData) << what;
  }
}

TEST(Inflate, DamagedStreamsAreErrors) {
  const Bytes data = {1, 2, 3, 4, 5, 6, 7, 8};
  const Bytes good = testing::StoredZlib(data);
  auto with = [&](std::size_t at, std::uint8_t value) {
    Bytes z = good;
    z[at] = value;
    return z;
  };
  struct Case {
    const char* what;
    Bytes stream;
    ArtError expected;
  };
  Bytes reserved = good;
  reserved[2] = 0x07;  // last block of type 3
  Bytes longer = good;
  longer[3] = 9;  // LEN 9 with its complement, for 8 bytes of room
  longer[5] = 0xF6;
  const Case cases[] = {
      {"as made", good, ArtError::None},
      {"method 7", with(0, 0x77), ArtError::BadData},
      {"window over 32K", with(0, 0x88), ArtError::BadData},
      {"header check", with(1, 0x02), ArtError::BadData},
      {"preset dictionary", with(1, 0xBB), ArtError::Unsupported},  // 0x78BB is a multiple of 31
      {"reserved block type", reserved, ArtError::BadData},
      {"length and complement disagree", with(5, 0xF0), ArtError::BadData},
      {"stored length past the output", longer, ArtError::BadData},
      {"wrong Adler-32", with(good.size() - 1, good.back() ^ 1), ArtError::BadChecksum},
  };
  for (const Case& c : cases) EXPECT_EQ(Inflate(c.stream, data.size()), c.expected) << c.what;
}

TEST(Inflate, EveryTruncationIsAnError) {
  const Bytes expected = {'x', 'x', 'x', 'x'};
  for (const Bytes& z : {testing::StoredZlib(Bytes(300, 9)), FixedStream(257, 0)}) {
    for (std::size_t length = 0; length < z.size(); ++length)
      EXPECT_NE(Inflate(Bytes(z.begin(), z.begin() + length), z.size() > 100 ? 300 : 4), ArtError::None) << length;
  }
}

}  // namespace
}  // namespace nimbrel::art
