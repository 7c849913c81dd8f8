// LoadArt on the test's own resources (tests/win/art/ArtWinTest.rc): which
// variant it takes for each size, and that the bitmap GDI holds is exactly
// as large as asked, 24-bit, with the expected pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "win/Art_win.h"
#include "win/Gdi.h"

namespace {

using nimbrel::win::Bitmap;
using nimbrel::win::LoadArt;

struct Pixels {
  int width = 0, height = 0, bitsPerPixel = 0;
  std::vector<std::uint32_t> rgb;  // 0xRRGGBB, rows top-down
  std::uint32_t At(int x, int y) const { return rgb[std::size_t(y) * width + x]; }
};

// The bitmap as GDI gives it back through GetDIBits.
Pixels Read(HBITMAP bitmap) {
  Pixels p;
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return p;
  p.width = info.bmWidth;
  p.height = info.bmHeight;
  p.bitsPerPixel = info.bmBitsPixel;
  BITMAPINFO request{};
  request.bmiHeader = {sizeof request.bmiHeader, p.width, -p.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const std::size_t stride = (std::size_t(p.width) * 3 + 3) & ~std::size_t{3};
  std::vector<std::uint8_t> bits(stride * p.height);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, p.height, bits.data(), &request, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(rows, p.height);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const std::uint8_t* b = &bits[y * stride + x * 3];
      p.rgb.push_back(std::uint32_t(b[2]) << 16 | std::uint32_t(b[1]) << 8 | b[0]);
    }
  return p;
}

struct Case {
  const char* name;
  int frames, frameWidth, height;
  std::vector<std::uint32_t> frameColours;  // each frame is flat
};

TEST(LoadArt, TakesTheSmallestVariantLargeEnoughAndGivesExactlyTheSizeAsked) {
  const std::vector<std::uint32_t> dots96 = {0x0A141E, 0x28323C}, dots144 = {0x46505A, 0x646E78},
                                   dots192 = {0x828C96, 0xA0AAB4};
  const Case cases[] = {
      {"DOTS", 2, 4, 4, dots96},    // 96 DPI as it is
      {"DOTS", 2, 1, 1, dots96},    // 96 DPI scaled down
      {"DOTS", 2, 5, 5, dots144},   // 144 DPI scaled down
      {"DOTS", 2, 6, 6, dots144},   // 144 DPI as it is
      {"DOTS", 2, 7, 3, dots192},   // wider than 144's frames
      {"DOTS", 2, 8, 8, dots192},   // 192 DPI as it is
      {"DOTS", 2, 20, 11, dots192}, // none large enough: the largest, scaled up
      {"PHOTO", 1, 12, 9, {0x3C3C3C}},   // the 96 DPI JPEG
      {"PHOTO", 1, 13, 9, {0xB4B4B4}},   // 144 and 192 are missing: 288
      {"PHOTO", 1, 36, 27, {0xB4B4B4}},
      {"PHOTO", 1, 50, 40, {0xB4B4B4}},
      {"BROKEN", 1, 8, 8, {0x030303}},   // 192 fails to decode: 96, scaled up
  };
  for (const Case& c : cases) {
    Bitmap bitmap(LoadArt(GetModuleHandleA(nullptr), c.name, c.frames, c.frameWidth, c.height));
    ASSERT_TRUE(bitmap) << c.name << " " << c.frameWidth << "x" << c.height;
    const Pixels p = Read(bitmap.get());
    EXPECT_EQ(p.width, c.frames * c.frameWidth) << c.name;
    EXPECT_EQ(p.height, c.height) << c.name;
    EXPECT_EQ(p.bitsPerPixel, 24) << c.name;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x)
        ASSERT_EQ(p.At(x, y), c.frameColours[x / c.frameWidth])
            << c.name << " " << c.frameWidth << "x" << c.height << " at " << x << "," << y;
  }
}

TEST(LoadArt, LaysPicturesWithAlphaOverTheBackground) {
  // Red (200, 0, 0), its top half at alpha 128, over blue:
  // 200 x 128 / 255 = 100 and 255 x 127 / 255 = 127, rounded.
  Bitmap same(LoadArt(GetModuleHandleA(nullptr), "GLASS", 1, 4, 4, RGB(0, 0, 255)));
  const Pixels p = Read(same.get());
  ASSERT_EQ(p.width, 4);
  EXPECT_EQ(p.At(3, 1), 0x64007Fu);
  EXPECT_EQ(p.At(0, 2), 0xC80000u);
  Bitmap half(LoadArt(GetModuleHandleA(nullptr), "GLASS", 1, 2, 2, RGB(0, 0, 255)));
  const Pixels h = Read(half.get());
  ASSERT_EQ(h.width, 2);
  EXPECT_EQ(h.rgb, (std::vector<std::uint32_t>{0x64007F, 0x64007F, 0xC80000, 0xC80000}));
}

TEST(LoadArt, NothingWhenNoVariantIsThereOrTheSizeIsImpossible) {
  HINSTANCE self = GetModuleHandleA(nullptr);
  EXPECT_EQ(LoadArt(self, "NOPE", 1, 4, 4), nullptr);
  EXPECT_EQ(LoadArt(self, "DOTS", 0, 4, 4), nullptr);
  EXPECT_EQ(LoadArt(self, "DOTS", 2, 0, 4), nullptr);
  EXPECT_EQ(LoadArt(self, "DOTS", 17, 1, 4), nullptr);  // no variant has 17 columns
  EXPECT_TRUE(nimbrel::win::ResourceBytes(self, "DOTS").empty());
  EXPECT_FALSE(nimbrel::win::ResourceBytes(self, "dots_96").empty());  // names are found in any case
}

}  // namespace
