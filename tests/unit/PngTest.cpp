// The PNG decoder on pictures it must read and on every kind of damage:
// headers out of range, wrong CRCs, missing or unknown chunks, filters,
// truncation at every length and every flipped bit. These run under Wine
// as well; the comparison with libpng over many pictures is in
// ArtReferenceTest.cpp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ArtSamples.h"
#include "ArtTestSupport.h"
#include "art/Decode.h"

namespace nimbrel::art {
namespace {

using testing::Bytes;
using testing::MakePng;
using testing::PngHeader;

Bytes FromSample(std::span<const std::uint8_t> sample) { return Bytes(sample.begin(), sample.end()); }

ArtError ErrorOf(const Bytes& png) {
  ArtError error = ArtError::None;
  const std::optional<Image> image = DecodePng(png, &error);
  EXPECT_EQ(image.has_value(), error == ArtError::None);
  return error;
}

// A 3 x 2 picture of six different colours.
Image SixColours() {
  return testing::MakeImage(3, 2, [](int x, int y) { return std::uint32_t(0x102030 * (x + 1) + 0x050607 * y); });
}

TEST(Png, LibpngsOwnFilesDecodeToLibpngsPixels) {
  const std::optional<Image> rgba = DecodePng(FromSample(samples::kPngRgba));
  ASSERT_TRUE(rgba);
  EXPECT_EQ(rgba->size(), (Size{samples::kPngRgbaWidth, samples::kPngRgbaHeight}));
  EXPECT_EQ(rgba->rgb, FromSample(samples::kPngRgbaRgb));
  EXPECT_EQ(rgba->alpha, FromSample(samples::kPngRgbaAlpha));
  const std::optional<Image> palette = DecodePng(FromSample(samples::kPngPalette));
  ASSERT_TRUE(palette);
  EXPECT_EQ(palette->rgb, FromSample(samples::kPngPaletteRgb));
  EXPECT_EQ(palette->alpha, FromSample(samples::kPngPaletteAlpha));  // tRNS for the first three entries
}

TEST(Png, EveryColourTypeGivesRgbAndAlphaWhereTheFileHasIt) {
  const Image six = SixColours();
  struct Case {
    const char* what;
    int colourType;
    Bytes rows;
    std::vector<std::pair<std::string, Bytes>> chunks;
    Bytes rgb, alpha;
  };
  const Case cases[] = {
      {"RGB", 2, testing::UnfilteredRows(six), {}, six.rgb, {}},
      {"RGB keyed by tRNS", 2, testing::UnfilteredRows(six), {{"tRNS", {0, 0x20, 0, 0x40, 0, 0x60}}}, six.rgb,
       {255, 0, 255, 255, 255, 255}},
      {"RGBA", 6, {0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 9, 10, 11, 12, 13, 14, 15, 16}, {},
       {1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15}, {4, 8, 12, 16}},
      {"grey", 0, {0, 7, 8, 0, 9, 10}, {}, {7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10, 10}, {}},
      {"grey keyed by tRNS", 0, {0, 7, 8, 0, 9, 10}, {{"tRNS", {0, 9}}}, {7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10, 10},
       {255, 255, 0, 255}},
      {"grey and alpha", 4, {0, 7, 1, 8, 2, 0, 9, 3, 10, 4}, {}, {7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10, 10}, {1, 2, 3, 4}},
      {"palette", 3, {0, 0, 1, 0, 1, 0}, {{"PLTE", {1, 2, 3, 4, 5, 6}}}, {1, 2, 3, 4, 5, 6, 4, 5, 6, 1, 2, 3}, {}},
      {"palette with tRNS", 3, {0, 0, 1, 0, 1, 0}, {{"PLTE", {1, 2, 3, 4, 5, 6}}, {"tRNS", {50}}},
       {1, 2, 3, 4, 5, 6, 4, 5, 6, 1, 2, 3}, {50, 255, 255, 50}},
  };
  for (const Case& c : cases) {
    PngHeader h;
    h.colourType = c.colourType;
    h.width = c.colourType == 2 ? 3 : 2;
    h.height = 2;
    ArtError error;
    const std::optional<Image> image = DecodePng(MakePng(h, c.rows, c.chunks), &error);
    ASSERT_TRUE(image) << c.what << ": " << ErrorName(error);
    EXPECT_EQ(image->rgb, c.rgb) << c.what;
    EXPECT_EQ(image->alpha, c.alpha) << c.what;
  }
}

TEST(Png, HeadersOutOfRangeAreErrorsBeforeAnythingIsAllocated) {
  const Bytes oneRow = {0, 1, 2, 3};
  struct Case {
    const char* what;
    PngHeader header;
    ArtError expected;
  };
  const Case cases[] = {
      {"width 0", {.width = 0}, ArtError::BadHeader},
      {"height 0", {.height = 0}, ArtError::BadHeader},
      {"width 2^31", {.width = 0x80000000u}, ArtError::BadHeader},
      {"height 2^32 - 1", {.height = 0xFFFFFFFFu}, ArtError::BadHeader},
      {"width 2^31 - 1", {.width = 0x7FFFFFFFu}, ArtError::TooLarge},
      {"a side over the limit", {.width = kMaxSide + 1}, ArtError::TooLarge},
      {"more pixels than the limit", {.width = 5000, .height = 5000}, ArtError::TooLarge},
      {"depth 16", {.depth = 16}, ArtError::Unsupported},
      {"depth 4 palette", {.depth = 4, .colourType = 3}, ArtError::Unsupported},
      {"depth 3", {.depth = 3}, ArtError::BadHeader},
      {"palette of depth 16", {.depth = 16, .colourType = 3}, ArtError::BadHeader},
      {"colour type 1", {.colourType = 1}, ArtError::BadHeader},
      {"colour type 7", {.colourType = 7}, ArtError::BadHeader},
      {"compression method 1", {.compression = 1}, ArtError::BadHeader},
      {"filter method 1", {.filter = 1}, ArtError::BadHeader},
      {"interlaced", {.interlace = 1}, ArtError::Unsupported},
      {"interlace method 2", {.interlace = 2}, ArtError::BadHeader},
  };
  for (const Case& c : cases) {
    const Bytes png = MakePng(c.header, oneRow);
    EXPECT_EQ(ErrorOf(png), c.expected) << c.what;
    ArtError peeked;
    EXPECT_FALSE(PeekSize(png, &peeked)) << c.what;
    EXPECT_EQ(peeked, c.expected) << c.what;
  }
}

// A valid 3 x 2 picture's parts, to assemble damaged files from.
struct Parts {
  Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes rows = testing::UnfilteredRows(SixColours());
  Bytes Chunk(const std::string& type, const Bytes& data) const {
    Bytes out;
    testing::AppendChunk(out, type, data);
    return out;
  }
  Bytes Header() const { return Chunk("IHDR", testing::HeaderChunkData({.width = 3, .height = 2})); }
  Bytes Data(const Bytes& r) const { return Chunk("IDAT", testing::StoredZlib(r)); }
  Bytes End() const { return Chunk("IEND", {}); }
};

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(Png, DamagedChunksAreErrors) {
  const Parts p;
  Bytes badCrc = p.Data(p.rows);
  badCrc.back() ^= 0x01;
  Bytes hugeLength = p.Data(p.rows);
  hugeLength[0] = 0x80;
  Bytes badFilter = p.rows;
  badFilter[0] = 5;
  Bytes extraRow = p.rows;
  extraRow.insert(extraRow.end(), p.rows.begin(), p.rows.begin() + 10);
  Bytes badAdler = p.Chunk("IDAT", testing::StoredZlib(p.rows));
  badAdler[badAdler.size() - 5] ^= 0x40;
  Bytes fixedCrc = badAdler;  // the same damage with the chunk's CRC made to fit
  fixedCrc.resize(fixedCrc.size() - 4);
  fixedCrc = p.Chunk("IDAT", Bytes(fixedCrc.begin() + 8, fixedCrc.end()));
  const Bytes split = Join({p.Chunk("IDAT", Bytes(p.rows.begin(), p.rows.begin())), p.Data(p.rows)});
  struct Case {
    const char* what;
    Bytes file;
    ArtError expected;
  };
  const Case cases[] = {
      {"as made", Join({p.signature, p.Header(), p.Data(p.rows), p.End()}), ArtError::None},
      {"unknown ancillary chunk", Join({p.signature, p.Header(), p.Chunk("quIt", {1}), p.Data(p.rows), p.End()}),
       ArtError::None},
      {"no signature", Join({p.Header(), p.Data(p.rows), p.End()}), ArtError::NotAPicture},
      {"empty", {}, ArtError::NotAPicture},
      {"IHDR not first", Join({p.signature, p.Chunk("quIt", {1}), p.Header(), p.Data(p.rows), p.End()}),
       ArtError::BadHeader},
      {"IHDR twice", Join({p.signature, p.Header(), p.Header(), p.Data(p.rows), p.End()}), ArtError::BadHeader},
      {"IHDR too short", Join({p.signature, p.Chunk("IHDR", Bytes(12, 1)), p.Data(p.rows), p.End()}),
       ArtError::BadHeader},
      {"wrong CRC", Join({p.signature, p.Header(), badCrc, p.End()}), ArtError::BadChecksum},
      {"length over 2^31", Join({p.signature, p.Header(), hugeLength, p.End()}), ArtError::BadHeader},
      {"no IEND", Join({p.signature, p.Header(), p.Data(p.rows)}), ArtError::Truncated},
      {"no IDAT", Join({p.signature, p.Header(), p.End()}), ArtError::BadData},
      {"unknown critical chunk", Join({p.signature, p.Header(), p.Chunk("QUIT", {}), p.Data(p.rows), p.End()}),
       ArtError::Unsupported},
      {"filter type 5", Join({p.signature, p.Header(), p.Data(badFilter), p.End()}), ArtError::BadData},
      {"a row too many", Join({p.signature, p.Header(), p.Data(extraRow), p.End()}), ArtError::BadData},
      {"a byte short", Join({p.signature, p.Header(), p.Data(Bytes(p.rows.begin(), p.rows.end() - 1)), p.End()}),
       ArtError::BadData},
      {"wrong Adler-32, right CRC", Join({p.signature, p.Header(), fixedCrc, p.End()}), ArtError::BadChecksum},
      {"picture data split over IDATs", Join({p.signature, p.Header(), split, p.End()}), ArtError::None},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.file), c.expected) << c.what;
}

TEST(Png, PaletteProblemsAreErrors) {
  const Bytes rows = {0, 0, 1, 0, 2, 0};
  PngHeader h{.width = 2, .height = 2, .colourType = 3};
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, Bytes>> chunks;
    ArtError expected;
  };
  const Case cases[] = {
      {"index inside", {{"PLTE", Bytes(9, 1)}}, ArtError::None},
      {"no palette", {}, ArtError::BadHeader},
      {"index past the palette", {{"PLTE", Bytes(6, 1)}}, ArtError::BadData},
      {"palette not in triples", {{"PLTE", Bytes(8, 1)}}, ArtError::BadHeader},
      {"palette over 256 entries", {{"PLTE", Bytes(257 * 3, 1)}}, ArtError::BadHeader},
      {"tRNS before PLTE", {{"tRNS", {1}}, {"PLTE", Bytes(9, 1)}}, ArtError::BadHeader},
      {"tRNS longer than the palette", {{"PLTE", Bytes(9, 1)}, {"tRNS", {1, 2, 3, 4}}}, ArtError::BadHeader},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(MakePng(h, rows, c.chunks)), c.expected) << c.what;
}

TEST(Png, EveryTruncationIsAnErrorAndThePeekNeedsOnlyTheHeader) {
  const Bytes png = FromSample(samples::kPngRgba);
  for (std::size_t length = 0; length < png.size(); ++length) {
    const Bytes cut(png.begin(), png.begin() + length);
    EXPECT_NE(ErrorOf(cut), ArtError::None) << length;
    // Signature 8, IHDR 8 + 13 + CRC 4.
    EXPECT_EQ(PeekSize(cut).has_value(), length >= 33) << length;
  }
}

TEST(Png, EveryFlippedBitIsAnError) {
  const Bytes png = FromSample(samples::kPngRgba);
  for (std::size_t i = 0; i < png.size(); ++i) {
    for (int bit = 0; bit < 8; ++bit) {
      Bytes damaged = png;
      damaged[i] ^= std::uint8_t(1 << bit);
      EXPECT_NE(ErrorOf(damaged), ArtError::None) << "byte " << i << " bit " << bit;
    }
  }
}

TEST(DecodeImage, TellsTheFormatBySignature) {
  ArtError error;
  EXPECT_TRUE(DecodeImage(FromSample(samples::kPngRgba)));
  EXPECT_TRUE(DecodeImage(FromSample(samples::kJpegGrey)));
  EXPECT_FALSE(DecodeImage(Bytes{'G', 'I', 'F', '8', '9', 'a'}, &error));
  EXPECT_EQ(error, ArtError::NotAPicture);
  EXPECT_FALSE(PeekSize(Bytes{}, &error));
  EXPECT_EQ(error, ArtError::NotAPicture);
  EXPECT_EQ(PeekSize(FromSample(samples::kJpegGrey)), (Size{samples::kJpegGreyWidth, samples::kJpegGreyHeight}));
}

}  // namespace
}  // namespace nimbrel::art
