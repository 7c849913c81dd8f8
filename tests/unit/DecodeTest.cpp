// What DecodeImage and PeekSize make of PNG files: every kind of pixel as
// RGB with an alpha plane only where some pixel isn't opaque, and headers
// past the size limits refused. (The JPEG pictures the program carries are
// checked in EmbeddedArtTest.)
#include <gtest/gtest.h>

#include "ArtTestSupport.h"
#include "art/Decode.h"

namespace nimbrel::art {
namespace {

using testing::Bytes;

TEST(DecodeImage, EveryKindOfPixelAsRgbRowsTopDownWithAlphaOnlyWhereNeeded) {
  struct Case {
    const char* name;
    int channels;
    Bytes pixels;  // 2 x 2, rows top-down
    Bytes rgb, alpha;
  };
  const Case cases[] = {
      {"grey", 1, {10, 20, 30, 40}, {10, 10, 10, 20, 20, 20, 30, 30, 30, 40, 40, 40}, {}},
      {"grey and alpha", 2, {10, 255, 20, 128, 30, 0, 40, 255}, {10, 10, 10, 20, 20, 20, 30, 30, 30, 40, 40, 40},
       {255, 128, 0, 255}},
      {"RGB", 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {}},
      {"RGBA, all opaque", 4, {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255},
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {}},
      {"RGBA", 4, {1, 2, 3, 255, 4, 5, 6, 254, 7, 8, 9, 0, 10, 11, 12, 255},
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {255, 254, 0, 255}},
  };
  for (const Case& c : cases) {
    const Bytes png = testing::EncodePng(2, 2, c.channels, c.pixels);
    const std::optional<Image> image = DecodeImage(png);
    ASSERT_TRUE(image) << c.name;
    EXPECT_EQ(image->size(), (Size{2, 2})) << c.name;
    EXPECT_EQ(image->rgb, c.rgb) << c.name;
    EXPECT_EQ(image->alpha, c.alpha) << c.name;
    EXPECT_EQ(PeekSize(png), (Size{2, 2})) << c.name;
  }
}

// A PNG whose header says width x height (its data is that of 1 x 1).
Bytes Claiming(std::uint32_t width, std::uint32_t height) {
  Bytes png = testing::EncodePng(1, 1, 3, {1, 2, 3});
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = std::uint8_t(width >> (24 - 8 * i));
    png[20 + i] = std::uint8_t(height >> (24 - 8 * i));
  }
  return png;
}

TEST(PeekSize, SizesPastTheLimitsAreRefusedBeforeAnythingIsDecoded) {
  struct Case {
    std::uint32_t width, height;
    bool allowed;
  };
  for (const Case c : {Case{32768, 512, true}, Case{4096, 4096, true}, Case{32769, 1, false}, Case{1, 32769, false},
                       Case{4097, 4096, false}, Case{0x80000000u, 1, false}}) {
    const Bytes png = Claiming(c.width, c.height);
    const std::optional<Size> size = PeekSize(png);
    EXPECT_EQ(size.has_value(), c.allowed) << c.width << " x " << c.height;
    if (size) {
      EXPECT_EQ(*size, (Size{int(c.width), int(c.height)}));
    } else {
      EXPECT_FALSE(DecodeImage(png)) << c.width << " x " << c.height;
    }
  }
}

TEST(DecodeImage, NothingFromWhatIsNoWholePicture) {
  const Bytes png = testing::EncodePng(2, 2, 3, Bytes(12, 7));
  const Bytes cut(png.begin(), png.end() - 20), header(png.begin(), png.begin() + 33);
  for (const Bytes& data : {Bytes{}, Bytes{1, 2, 3}, Bytes{0xFF, 0xD8, 0xFF}, cut, header})
    EXPECT_FALSE(DecodeImage(data)) << data.size() << " bytes";
}

}  // namespace
}  // namespace nimbrel::art
