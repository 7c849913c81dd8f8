// The JPEG decoder on small files libjpeg made (4:2:0 with restart
// intervals, 4:4:4 with a scan per component, grey), checked against
// libjpeg's own decoding of them, and on every kind of damage: unsupported
// kinds, headers out of range, missing tables and scans, restart markers out
// of order, truncation at every length, flipped bytes. These run under Wine
// as well; the comparison with libjpeg over many pictures is in
// ArtReferenceTest.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "ArtSamples.h"
#include "ArtTestSupport.h"
#include "art/Decode.h"
#include "art/JpegEntropy.h"
#include "art/JpegPixels.h"

namespace nimbrel::art {
namespace {

using testing::Bytes;

Bytes FromSample(std::span<const std::uint8_t> sample) { return Bytes(sample.begin(), sample.end()); }

struct Sample {
  const char* name;
  Bytes file;
  Size size;
  Bytes rgb;  // libjpeg's decoding
};

std::vector<Sample> Samples() {
  using namespace samples;
  return {{"4:2:0 with restarts", FromSample(kJpeg420Restart), {kJpeg420RestartWidth, kJpeg420RestartHeight},
           FromSample(kJpeg420RestartRgb)},
          {"4:4:4 a scan per component", FromSample(kJpeg444Scans), {kJpeg444ScansWidth, kJpeg444ScansHeight},
           FromSample(kJpeg444ScansRgb)},
          {"grey", FromSample(kJpegGrey), {kJpegGreyWidth, kJpegGreyHeight}, FromSample(kJpegGreyRgb)}};
}

ArtError ErrorOf(const Bytes& jpeg) {
  ArtError error = ArtError::None;
  const std::optional<Image> image = DecodeJpeg(jpeg, &error);
  EXPECT_EQ(image.has_value(), error == ArtError::None);
  if (image) {
    // Whatever the damage, a picture that comes out is whole.
    EXPECT_EQ(image->rgb.size(), std::size_t(image->width) * image->height * 3);
    EXPECT_TRUE(SizeAllowed(image->width, image->height));
  }
  return error;
}

// Where the file's markers are: segments by their lengths, then through
// the entropy-coded data to the markers after it.
struct Marker {
  std::size_t at;  // of the 0xFF
  int code;
};

std::vector<Marker> Markers(const Bytes& j) {
  std::vector<Marker> out = {{0, 0xD8}};
  std::size_t p = 2;
  while (p + 1 < j.size()) {
    if (j[p] != 0xFF || j[p + 1] == 0x00 || j[p + 1] == 0xFF) {
      p += j[p] == 0xFF && j[p + 1] == 0x00 ? 2 : 1;
      continue;
    }
    const int code = j[p + 1];
    out.push_back({p, code});
    p += code >= 0xD0 && code <= 0xD9 ? 2 : 2 + std::size_t(j[p + 2] << 8 | j[p + 3]);
  }
  return out;
}

std::size_t Find(const Bytes& j, int code, int nth = 0) {
  for (const Marker& m : Markers(j))
    if (m.code == code && nth-- == 0) return m.at;
  ADD_FAILURE() << "no marker " << code;
  return 0;
}

TEST(JpegHuffman, TablesWhoseCodesDontFitTheirLengthsAreRefused) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> counts;  // of lengths 1, 2, ...
    ArtError expected;
  };
  const Case cases[] = {
      {"the standard luminance DC table", {0, 1, 5, 1, 1, 1, 1, 1, 1}, ArtError::None},
      {"one code of one bit", {1}, ArtError::None},
      {"two codes of one bit: 1 is all ones", {2}, ArtError::BadData},
      {"0, 10, 11: 11 is all ones", {1, 2}, ArtError::BadData},
      {"0, 10, 110", {1, 1, 1}, ArtError::None},
      {"three codes of one bit", {3}, ArtError::BadData},
      {"more than 256 values", {0, 0, 0, 0, 0, 0, 0, 0, 255, 2}, ArtError::BadData},
  };
  for (const Case& c : cases) {
    std::array<std::uint8_t, 16> counts{};
    std::copy(c.counts.begin(), c.counts.end(), counts.begin());
    std::size_t total = 0;
    for (std::uint8_t n : counts) total += n;
    std::vector<std::uint8_t> values(total);
    for (std::size_t i = 0; i < total; ++i) values[i] = std::uint8_t(i);
    jpeg::HuffmanTable table;
    EXPECT_EQ(jpeg::BuildHuffmanTable(counts, values, table), c.expected) << c.what;
  }
}

TEST(JpegHuffman, TheReaderUndoesStuffingAndStopsAtMarkers) {
  // Codes 0 (one bit), 10 and 110 for values 7, 8 and 9, then a long one.
  std::array<std::uint8_t, 16> counts{1, 1, 1};
  counts[11] = 1;  // 111000000000 for 10: past the one-step table
  const std::vector<std::uint8_t> values = {7, 8, 9, 10};
  jpeg::HuffmanTable table;
  ASSERT_EQ(jpeg::BuildHuffmanTable(counts, values, table), ArtError::None);
  // 0 10 110 111000000000 0 111 11111 1111 1, then the marker:
  // 0101 1011 | 1000 0000 | 0001 1111 | 1111 1111 (stuffed) | FF D9
  const Bytes data = {0x5B, 0x80, 0x1F, 0xFF, 0x00, 0xFF, 0xD9};
  jpeg::EntropyReader in(data, 0);
  EXPECT_EQ(in.Decode(table), 7);
  EXPECT_EQ(in.Decode(table), 8);
  EXPECT_EQ(in.Decode(table), 9);
  EXPECT_EQ(in.Decode(table), 10);
  EXPECT_EQ(in.Decode(table), 7);
  EXPECT_EQ(in.Bits(3), 0b111u);
  EXPECT_EQ(in.Receive(5), 31);  // 11111: +31
  EXPECT_EQ(in.Receive(4), 15);  // the stuffed 0xFF's bits
  EXPECT_FALSE(in.Overrun());
  EXPECT_EQ(in.Receive(2), 2);  // its last bit and a zero from past the marker: 10 is +2
  EXPECT_TRUE(in.Overrun());
  EXPECT_EQ(in.position(), 5u);  // at the marker's 0xFF
}

TEST(JpegIdct, GivesTheDefinitionRoundedToTheNearestLevel) {
  const double pi = std::acos(-1.0);
  double basis[8][8];  // C(u) / 2 cos((2x + 1) u pi / 16)
  for (int x = 0; x < 8; ++x)
    for (int u = 0; u < 8; ++u) basis[x][u] = (u ? 1 : std::sqrt(0.5)) / 2 * std::cos((2 * x + 1) * u * pi / 16);
  testing::Random random(9);
  int samples = 0;
  for (int block = 0; block < 2000; ++block) {
    // A DC term anywhere in its range and AC terms of a busy block, some zero.
    double coefficient[64];
    float prescaled[64];
    for (int i = 0; i < 64; ++i) {
      coefficient[i] = i == 0 ? random.Below(2048) - 1024 : random.Below(3) ? random.Below(129) - 64 : 0;
      prescaled[i] = static_cast<float>(coefficient[i]) * jpeg::DctPrescale(i);
    }
    std::uint8_t out[64];
    jpeg::InverseDct(prescaled, out, 8);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        double exact = 128;  // the definition, in double precision
        for (int v = 0; v < 8; ++v)
          for (int u = 0; u < 8; ++u)
            exact += basis[x][u] * basis[y][v] * coefficient[v * 8 + u];
        const double clamped = std::clamp(exact, 0.0, 255.0);
        if (std::abs(clamped - std::floor(clamped) - 0.5) < 0.01) continue;  // too near a half to tell
        ASSERT_EQ(out[y * 8 + x], std::lround(clamped)) << "block " << block << " at " << x << "," << y;
        ++samples;
      }
    }
  }
  EXPECT_GT(samples, 2000 * 64 * 98 / 100);
}

TEST(Jpeg, LibjpegsOwnFilesDecodeWithinTheToleranceOfLibjpegsPixels) {
  for (const Sample& s : Samples()) {
    ArtError error;
    const std::optional<Image> image = DecodeJpeg(s.file, &error);
    ASSERT_TRUE(image) << s.name << ": " << ErrorName(error);
    ASSERT_EQ(image->size(), s.size) << s.name;
    EXPECT_FALSE(image->HasAlpha());
    int most = 0;
    for (std::size_t i = 0; i < s.rgb.size(); ++i) most = std::max(most, std::abs(image->rgb[i] - s.rgb[i]));
    EXPECT_LE(most, testing::kJpegTolerance) << s.name;
    EXPECT_EQ(PeekSize(s.file), s.size) << s.name;
  }
}

TEST(Jpeg, OtherKindsOfJpegAreUnsupported) {
  const Bytes baseline = FromSample(samples::kJpeg420Restart);
  const std::size_t sof = Find(baseline, 0xC0);
  auto withFrame = [&](int code, int precision) {
    Bytes j = baseline;
    j[sof + 1] = std::uint8_t(code);
    j[sof + 4] = std::uint8_t(precision);
    return j;
  };
  struct Case {
    const char* what;
    Bytes file;
  };
  const Case cases[] = {
      {"progressive", FromSample(samples::kJpegProgressive)},
      {"arithmetic", FromSample(samples::kJpegArithmetic)},
      {"12-bit", withFrame(0xC0, 12)},
      {"12-bit extended", withFrame(0xC1, 12)},
      {"lossless", withFrame(0xC3, 8)},
      {"hierarchical", withFrame(0xC5, 8)},
      {"arithmetic sequential", withFrame(0xC9, 8)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf(c.file), ArtError::Unsupported) << c.what;
    ArtError peeked;
    EXPECT_FALSE(PeekSize(c.file, &peeked)) << c.what;
    EXPECT_EQ(peeked, ArtError::Unsupported) << c.what;
  }
  EXPECT_EQ(ErrorOf(withFrame(0xC1, 8)), ArtError::None);  // extended sequential, 8-bit: the same decoding
}

TEST(Jpeg, FrameHeadersOutOfRangeAreErrorsBeforeAnythingIsAllocated) {
  const Bytes good = FromSample(samples::kJpeg420Restart);
  const std::size_t sof = Find(good, 0xC0);
  // The frame header: FF C0, length (2), precision, height (2), width (2),
  // count, then id, sampling, table for each component.
  auto with = [&](std::initializer_list<std::pair<std::size_t, std::uint8_t>> changes) {
    Bytes j = good;
    for (auto [offset, value] : changes) j[sof + offset] = value;
    return j;
  };
  struct Case {
    const char* what;
    Bytes file;
    ArtError expected;
  };
  const Case cases[] = {
      {"width 0", with({{7, 0}, {8, 0}}), ArtError::BadHeader},
      {"height 0 (set by a DNL)", with({{5, 0}, {6, 0}}), ArtError::Unsupported},
      {"65535 x 65535", with({{5, 0xFF}, {6, 0xFF}, {7, 0xFF}, {8, 0xFF}}), ArtError::TooLarge},
      {"4096 x 4097", with({{5, 0x10}, {6, 0x01}, {7, 0x10}, {8, 0x00}}), ArtError::TooLarge},
      {"two components in a three-component segment", with({{9, 2}}), ArtError::BadHeader},
      {"no components", with({{9, 0}}), ArtError::BadHeader},
      {"sampling factor 3", with({{11, 0x32}}), ArtError::Unsupported},
      {"sampling factor 0", with({{11, 0x20}}), ArtError::BadHeader},
      {"sampling factor 5", with({{11, 0x25}}), ArtError::BadHeader},
      {"quantization table 4", with({{12, 4}}), ArtError::BadHeader},
      {"two components with one id", with({{13, good[sof + 10]}}), ArtError::BadHeader},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf(c.file), c.expected) << c.what;
    ArtError peeked;
    EXPECT_FALSE(PeekSize(c.file, &peeked)) << c.what;
    EXPECT_EQ(peeked, c.expected) << c.what;
  }
}

TEST(Jpeg, MissingOrDamagedTablesScansAndMarkersAreErrors) {
  const Bytes good = FromSample(samples::kJpeg420Restart);
  const Bytes scans = FromSample(samples::kJpeg444Scans);
  auto with = [](Bytes j, std::size_t at, std::uint8_t value) {
    j[at] = value;
    return j;
  };
  auto without = [](const Bytes& j, std::size_t from, std::size_t to) {
    Bytes out(j.begin(), j.begin() + from);
    out.insert(out.end(), j.begin() + to, j.end());
    return out;
  };
  const std::size_t dht = Find(good, 0xC4), sos = Find(good, 0xDA), dri = Find(good, 0xDD);
  Bytes oversubscribed = good;  // two one-bit codes in the first table, the count of three-bit ones two less
  oversubscribed[dht + 5] += 2;
  oversubscribed[dht + 7] -= 2;
  struct Case {
    const char* what;
    Bytes file;
    ArtError expected;
  };
  const Case cases[] = {
      {"as made", good, ArtError::None},
      {"a Huffman code space over-subscribed", oversubscribed, ArtError::BadData},
      {"a Huffman table of class 2", with(good, dht + 4, 0x20 | (good[dht + 4] & 15)), ArtError::BadHeader},
      {"a scan asks for Huffman table 3", with(good, sos + 6, 0x33), ArtError::BadData},
      {"a scan names no component of the frame", with(good, sos + 5, 99), ArtError::BadHeader},
      {"a scan with spectral selection", with(good, sos + 12, 1), ArtError::BadHeader},
      {"restart markers out of order", with(good, Find(good, 0xD0) + 1, 0xD1), ArtError::BadData},
      {"restart interval longer than the file's", with(good, dri + 5, 3), ArtError::Truncated},
      {"no EOI", Bytes(good.begin(), good.end() - 2), ArtError::Truncated},
      {"a component never scanned", without(scans, Find(scans, 0xDA, 2), Find(scans, 0xD9)), ArtError::BadData},
      {"a scan before the frame", without(good, Find(good, 0xC0), Find(good, 0xC4)), ArtError::BadData},
      {"two frames", [&] {
         Bytes j = good;
         const std::size_t at = Find(good, 0xC0), end = Find(good, 0xC4);
         j.insert(j.begin() + end, good.begin() + at, good.begin() + end);
         return j;
       }(), ArtError::BadData},
      {"a second start of image", with(good, Find(good, 0xDB) + 1, 0xD8), ArtError::BadData},
      {"arithmetic conditioning", with(good, Find(good, 0xDB) + 1, 0xCC), ArtError::Unsupported},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.file), c.expected) << c.what;
}

TEST(Jpeg, EveryTruncationIsAnErrorAndThePeekNeedsOnlyTheFrameHeader) {
  for (const Sample& s : Samples()) {
    const std::size_t sof = Find(s.file, 0xC0);
    const std::size_t sofEnd = sof + 2 + (s.file[sof + 2] << 8 | s.file[sof + 3]);
    for (std::size_t length = 0; length < s.file.size(); ++length) {
      const Bytes cut(s.file.begin(), s.file.begin() + length);
      EXPECT_NE(ErrorOf(cut), ArtError::None) << s.name << " " << length;
      EXPECT_EQ(PeekSize(cut).has_value(), length >= sofEnd) << s.name << " " << length;
    }
  }
}

TEST(Jpeg, TheLossOfAnyMarkerThatCarriesThePictureIsAnError) {
  for (const Sample& s : Samples()) {
    int lost = 0;
    bool scanned = false;
    for (const Marker& m : Markers(s.file)) {
      if ((m.code >= 0xE0 && m.code <= 0xEF) || m.code == 0xFE) continue;  // APPn and comments carry no pixels
      // A table given again for a later scan can go missing unnoticed: the
      // earlier one of its number still stands.
      if (scanned && (m.code == 0xC4 || m.code == 0xDB)) continue;
      scanned = scanned || m.code == 0xDA;
      Bytes damaged = s.file;
      damaged[m.at] = 0x00;
      EXPECT_NE(ErrorOf(damaged), ArtError::None) << s.name << " marker " << m.code << " at " << m.at;
      ++lost;
    }
    EXPECT_GE(lost, 6) << s.name;  // SOI, DQT, SOF, DHT, SOS, EOI at least
  }
}

// JPEG carries no checksum, so damage inside the data can give a wrong
// picture rather than an error; what it must never do is crash, hang, read
// outside the file or give a picture that isn't whole (ErrorOf checks).
TEST(Jpeg, FlippedAndRandomBytesNeverCrash) {
  int decoded = 0, failed = 0;
  for (const Sample& s : Samples()) {
    for (std::size_t i = 0; i < s.file.size(); ++i) {
      Bytes damaged = s.file;
      damaged[i] ^= 0xFF;
      (ErrorOf(damaged) == ArtError::None ? decoded : failed)++;
    }
    testing::Random random(static_cast<std::uint32_t>(s.file.size()));
    for (int round = 0; round < 1500; ++round) {
      Bytes damaged = s.file;
      for (int n = 1 + random.Below(3); n > 0; --n) damaged[random.Below(int(damaged.size()))] = std::uint8_t(random.Next());
      (ErrorOf(damaged) == ArtError::None ? decoded : failed)++;
    }
  }
  EXPECT_GT(failed, 0);
  EXPECT_GT(decoded, 0);
}

}  // namespace
}  // namespace nimbrel::art
