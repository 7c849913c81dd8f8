// Scaling strips of frames, choosing among a picture's variants, laying
// pictures with alpha over their background, and the whole way from the
// variants' bytes to the finished strip.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "ArtTestSupport.h"
#include "art/Art.h"
#include "art/Resample.h"

namespace nimbrel::art {
namespace {

using testing::Bytes;
using testing::MakeImage;

Image Noise(int width, int height, std::uint32_t seed, bool alpha) {
  testing::Random random(seed);
  Image image = MakeImage(width, height, [&](int, int) { return random.Next() & 0xFFFFFF; });
  if (alpha)
    for (int i = 0; i < width * height; ++i) image.alpha.push_back(std::uint8_t(random.Next()));
  return image;
}

// One channel of a picture whose rows are `values` (grey).
Image GreyRow(const std::vector<int>& values, bool vertical = false) {
  const int n = int(values.size());
  return MakeImage(vertical ? 1 : n, vertical ? n : 1,
                   [&](int x, int y) { return std::uint32_t(values[vertical ? y : x]) * 0x010101; });
}

std::vector<int> Reds(const Image& image) {
  std::vector<int> out;
  for (std::size_t i = 0; i < image.rgb.size(); i += 3) out.push_back(image.rgb[i]);
  return out;
}

TEST(ResampleFrames, AFrameOfTheSourcesSizeIsAnExactCopyAndLeftoverColumnsAreDropped) {
  const Image source = Noise(22, 5, 1, true);  // three frames of 7, one column left over
  const std::optional<Image> out = ResampleFrames(source, 3, 7, 5);
  ASSERT_TRUE(out);
  ASSERT_EQ(out->size(), (Size{21, 5}));
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 21; ++x) {
      EXPECT_TRUE(std::equal(out->Pixel(x, y), out->Pixel(x, y) + 3, source.Pixel(x, y))) << x << "," << y;
      EXPECT_EQ(out->alpha[y * 21 + x], source.alpha[y * 22 + x]);
    }
  }
}

TEST(ResampleFrames, HalvingACheckerboardGivesTheMeanOfItsTwoColours) {
  const Image board = MakeImage(8, 6, [](int x, int y) { return (x + y) % 2 ? 0xFF000Au : 0x0064FFu; });
  const std::optional<Image> out = ResampleFrames(board, 1, 4, 3);
  ASSERT_TRUE(out);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const std::uint8_t* p = out->Pixel(x, y);
      EXPECT_EQ((std::vector<int>{p[0], p[1], p[2]}), (std::vector<int>{128, 50, 133}));  // halves round up
    }
}

TEST(ResampleFrames, EdgePixelsCountByTheFractionTheyCover) {
  struct Case {
    std::vector<int> source;
    int target;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {{0, 90, 180}, 2, {30, 150}},              // 3 -> 2: the middle pixel half in each
      {{0, 30, 60, 90, 120}, 3, {12, 60, 108}},  // 5 -> 3: thirds
      {{10, 20, 30, 40}, 1, {25}},
      {{7}, 1, {7}},
  };
  for (const Case& c : cases) {
    const std::optional<Image> across = ResampleFrames(GreyRow(c.source), 1, c.target, 1);
    const std::optional<Image> down = ResampleFrames(GreyRow(c.source, true), 1, 1, c.target);
    ASSERT_TRUE(across && down);
    EXPECT_EQ(Reds(*across), c.expected);
    EXPECT_EQ(Reds(*down), c.expected);
  }
}

double Mean(const Image& image, int channel) {
  double sum = 0;
  for (std::size_t i = channel; i < image.rgb.size(); i += 3) sum += image.rgb[i];
  return sum / (image.rgb.size() / 3);
}

TEST(ResampleFrames, ThreeToTwoKeepsAFlatColourExactlyAndTheMeanWithinRounding) {
  const Image flat = MakeImage(9, 6, [](int, int) { return 0x25C95Au; });
  const std::optional<Image> small = ResampleFrames(flat, 1, 6, 4);
  ASSERT_TRUE(small);
  EXPECT_EQ(small->rgb, MakeImage(6, 4, [](int, int) { return 0x25C95Au; }).rgb);

  const Image noise = Noise(30, 21, 2, false);
  const std::optional<Image> out = ResampleFrames(noise, 1, 20, 14);
  ASSERT_TRUE(out);
  // Every target pixel covers the same area, so the unrounded means agree
  // exactly; rounding each pixel moves the mean by at most half a level.
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(Mean(*out, c), Mean(noise, c), 0.5) << c;
}

TEST(ResampleFrames, FramesNeverBleedIntoEachOther) {
  const std::uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0x808080};
  const std::uint8_t alphas[] = {255, 0, 17, 200};
  Image strip = MakeImage(40, 6, [&](int x, int) { return colours[x / 10]; });
  for (int i = 0; i < 40 * 6; ++i) strip.alpha.push_back(alphas[(i % 40) / 10]);
  struct Target {
    int frameWidth, height;
  };
  for (const Target t : {Target{7, 4}, Target{3, 5}, Target{13, 9}, Target{10, 6}, Target{1, 1}}) {
    const std::optional<Image> out = ResampleFrames(strip, 4, t.frameWidth, t.height);
    ASSERT_TRUE(out);
    ASSERT_EQ(out->size(), (Size{4 * t.frameWidth, t.height}));
    for (int y = 0; y < t.height; ++y) {
      for (int x = 0; x < out->width; ++x) {
        const int f = x / t.frameWidth;
        const std::uint8_t* p = out->Pixel(x, y);
        EXPECT_EQ(std::uint32_t(p[0] << 16 | p[1] << 8 | p[2]), colours[f]) << t.frameWidth << " " << x << "," << y;
        EXPECT_EQ(out->alpha[y * out->width + x], alphas[f]);
      }
    }
  }
}

TEST(ResampleFrames, ScalingUpIsBilinearBetweenPixelCentres) {
  struct Case {
    std::vector<int> source;
    int target;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {{0, 200}, 4, {0, 50, 150, 200}},      // centres at -1/4, 1/4, 3/4, 5/4
      {{0, 100, 200}, 6, {0, 25, 75, 125, 175, 200}},
      {{90}, 3, {90, 90, 90}},
  };
  for (const Case& c : cases) {
    const std::optional<Image> across = ResampleFrames(GreyRow(c.source), 1, c.target, 1);
    const std::optional<Image> down = ResampleFrames(GreyRow(c.source, true), 1, 1, c.target);
    ASSERT_TRUE(across && down);
    EXPECT_EQ(Reds(*across), c.expected);
    EXPECT_EQ(Reds(*down), c.expected);
  }
  // Down across and up down at once: each direction on its own.
  const Image square = MakeImage(4, 2, [](int x, int y) { return std::uint32_t(x < 2 ? 0 : 100) + (y ? 0x640000u : 0); });
  const std::optional<Image> out = ResampleFrames(square, 1, 2, 4);
  ASSERT_TRUE(out);
  EXPECT_EQ(Reds(*out), (std::vector<int>{0, 0, 25, 25, 75, 75, 100, 100}));
}

TEST(ResampleFrames, ImpossibleRequestsGiveNothing) {
  const Image image = Noise(6, 4, 3, false);
  EXPECT_FALSE(ResampleFrames(image, 0, 3, 4));
  EXPECT_FALSE(ResampleFrames(image, 2, 0, 4));
  EXPECT_FALSE(ResampleFrames(image, 2, 3, 0));
  EXPECT_FALSE(ResampleFrames(image, 7, 1, 4));      // fewer columns than frames
  EXPECT_FALSE(ResampleFrames(image, 2, kMaxSide, kMaxSide));
  EXPECT_FALSE(ResampleFrames(Image{}, 1, 1, 1));
  Image inconsistent = image;
  inconsistent.alpha.resize(3);
  EXPECT_FALSE(ResampleFrames(inconsistent, 1, 2, 2));
}

TEST(ChooseVariant, TheSmallestLargeEnoughOrElseTheLargest) {
  // A two-frame key of 33 x 25 at 96 DPI, drawn for 96, 144, 192 and 288 DPI.
  const std::vector<Size> key = {{66, 25}, {98, 37}, {132, 50}, {198, 75}};
  struct Case {
    int frameWidth, height, expected;
  };
  const Case cases[] = {
      {33, 25, 0}, {1, 1, 0},   {34, 25, 1}, {33, 26, 1},  {49, 37, 1},   {49, 38, 2},
      {66, 50, 2}, {67, 50, 3}, {99, 75, 3}, {100, 80, 3}, {500, 10, 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseVariant(key, 2, c.frameWidth, c.height), c.expected) << c.frameWidth << "x" << c.height;
    // The same size whatever order the variants come in.
    std::vector<int> order = {0, 1, 2, 3};
    do {
      std::vector<Size> shuffled;
      for (int i : order) shuffled.push_back(key[i]);
      const int chosen = ChooseVariant(shuffled, 2, c.frameWidth, c.height);
      ASSERT_GE(chosen, 0);
      EXPECT_EQ(shuffled[chosen], key[c.expected]);
    } while (std::next_permutation(order.begin(), order.end()));
  }
}

TEST(ChooseVariant, OddShapesTiesAndUnusableVariants) {
  struct Case {
    const char* what;
    std::vector<Size> sizes;
    int frames, frameWidth, height, expected;
  };
  const Case cases[] = {
      {"only the wide one is tall enough", {{40, 10}, {20, 30}}, 1, 30, 5, 0},
      {"neither: the larger area", {{40, 10}, {20, 30}}, 1, 30, 20, 1},
      {"equal sizes: the first", {{50, 20}, {30, 30}, {30, 30}}, 1, 25, 25, 1},
      {"frames narrower than one pixel", {{1, 100}, {4, 4}}, 2, 1, 50, 1},
      {"leftover columns don't count", {{9, 4}, {12, 4}}, 2, 5, 4, 1},
      {"nothing usable", {{1, 100}, {0, 0}}, 2, 1, 1, -1},
      {"no variants", {}, 1, 1, 1, -1},
      {"no frames", {{10, 10}}, 0, 1, 1, -1},
      {"no size", {{10, 10}}, 1, 0, 1, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChooseVariant(c.sizes, c.frames, c.frameWidth, c.height), c.expected) << c.what;
}

TEST(ComposeOver, BlendsByAlphaAndDropsIt) {
  Image glass = MakeImage(4, 1, [](int, int) { return 0xC80000u; });
  glass.alpha = {128, 0, 255, 1};
  Image opaque = glass;
  opaque.alpha.clear();
  ComposeOver(glass, Rgb{0, 0, 255});
  EXPECT_FALSE(glass.HasAlpha());
  // 128 x 200 / 255 = 100.4 and 127 x 255 / 255 = 127; 1 x 200 / 255 = 0.78
  // rounds to 1 and 254 x 255 / 255 stays 254.
  EXPECT_EQ(glass.rgb, (Bytes{100, 0, 127, 0, 0, 255, 200, 0, 0, 1, 0, 254}));
  const Image before = opaque;
  ComposeOver(opaque, Rgb{1, 2, 3});
  EXPECT_EQ(opaque.rgb, before.rgb);
}

TEST(ComposeOver, OverARegionOfAnotherPicture) {
  const Image background = MakeImage(3, 2, [](int x, int y) { return std::uint32_t(x * 40 + y * 100); });
  Image picture = MakeImage(2, 1, [](int, int) { return 0x0000FFu; });
  picture.alpha = {0, 255};
  Image outside = picture;
  EXPECT_FALSE(ComposeOver(outside, background, 2, 1));
  EXPECT_TRUE(outside.HasAlpha());
  EXPECT_FALSE(ComposeOver(outside, background, -1, 0));
  ASSERT_TRUE(ComposeOver(picture, background, 1, 1));
  EXPECT_EQ(picture.rgb, (Bytes{0, 0, 140, 0, 0, 255}));  // the background at (1, 1), then the picture
}

// A stored PNG of `frames` flat frames of `frameWidth` x `height`, frame f
// in colour base + f.
Bytes FlatPng(int frames, int frameWidth, int height, std::uint32_t base) {
  const Image image = MakeImage(frames * frameWidth, height, [&](int x, int) { return base + std::uint32_t(x / frameWidth); });
  return testing::EncodePng(image.width, height, 3, image.rgb);
}

std::uint32_t ColourAt(const Image& image, int x, int y) {
  const std::uint8_t* p = image.Pixel(x, y);
  return std::uint32_t(p[0] << 16 | p[1] << 8 | p[2]);
}

TEST(PrepareArt, ScalesTheChosenVariantAndFallsBackWhenItCantBeRead) {
  const Bytes small = FlatPng(2, 4, 4, 0x100000), large = FlatPng(2, 8, 8, 0x200000);
  Bytes broken = FlatPng(2, 16, 16, 0x300000);
  broken.resize(broken.size() - 30);  // the header is whole, the data isn't
  const std::vector<std::span<const std::uint8_t>> variants = {large, broken, small};
  struct Case {
    int frameWidth, height;
    std::uint32_t base;  // the chosen variant's colour
  };
  for (const Case c : {Case{4, 4, 0x100000}, Case{3, 2, 0x100000}, Case{5, 4, 0x200000}, Case{8, 8, 0x200000},
                       Case{12, 12, 0x200000}}) {
    const std::optional<Image> art = PrepareArt(variants, 2, c.frameWidth, c.height);
    ASSERT_TRUE(art) << c.frameWidth;
    ASSERT_EQ(art->size(), (Size{2 * c.frameWidth, c.height}));
    EXPECT_EQ(ColourAt(*art, 0, 0), c.base) << c.frameWidth;
    EXPECT_EQ(ColourAt(*art, 2 * c.frameWidth - 1, c.height - 1), c.base + 1) << c.frameWidth;
  }
  const Bytes garbage = {1, 2, 3};
  const std::vector<std::span<const std::uint8_t>> nothing = {broken, garbage};
  EXPECT_FALSE(PrepareArt(nothing, 2, 4, 4));
  EXPECT_FALSE(PrepareArt({}, 1, 4, 4));
}

TEST(PrepareArt, LaysPicturesWithAlphaOverTheBackgroundBeforeScaling) {
  // Two columns: opaque white and fully transparent black; halved across,
  // over red, the pixel is the mean of white and red.
  const Bytes png = testing::EncodePng(2, 1, 4, {255, 255, 255, 255, 0, 0, 0, 0});
  const std::vector<std::span<const std::uint8_t>> variants = {png};
  const std::optional<Image> art = PrepareArt(variants, 1, 1, 1, Rgb{255, 0, 0});
  ASSERT_TRUE(art);
  EXPECT_FALSE(art->HasAlpha());
  EXPECT_EQ(art->rgb, (Bytes{255, 128, 128}));
}

}  // namespace
}  // namespace nimbrel::art
