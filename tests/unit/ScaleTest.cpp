// The design geometry at every display scale we support.
#include "core/Scale.h"

#include <gtest/gtest.h>

#include "app/FaceKeys.h"
#include "display/StackWindow.h"

namespace nimbrel {
namespace {

constexpr int kDpis[] = {96, 120, 144, 168, 192, 240, 288};  // 100 % to 300 %

TEST(Scale, AtOneHundredPercentEveryNumberStandsAsItIs) {
  const Scale s(96);
  for (int n : {0, 1, 8, 18, 20, 41, 144, 169, 185, 233, 321}) EXPECT_EQ(s(n), n);
  EXPECT_EQ(s.BaseWidth(), 321);
  EXPECT_EQ(s.Line(), 1);
}

TEST(Scale, TheBaseWidthRuleAtEachScale) {
  const struct {
    int dpi, base, large, medium;
  } cases[] = {
      {120, 401, 291, 231}, {144, 481, 349, 277}, {192, 642, 466, 370}, {288, 963, 699, 555},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dpi);
    const Scale s(c.dpi);
    EXPECT_EQ(s.BaseWidth(), c.base);
    EXPECT_EQ(s(233), c.large);   // the Large client height
    EXPECT_EQ(s(185), c.medium);  // the Medium display's height
    EXPECT_EQ(s(321), c.base);
  }
  EXPECT_EQ(Scale(0).dpi(), 96) << "a DPI Windows failed to give counts as 100 %";
}

TEST(Scale, TheDisplayShowsItsLinesAtEveryScale) {
  for (int dpi : kDpis) {
    SCOPED_TRACE(dpi);
    const Scale s(dpi);
    const int pitch = s(kLinePitch), rise = s(kXLineRise);
    EXPECT_EQ(StackWindow::LinesForHeight(s(41), pitch, rise), 2) << "Small and Large";
    EXPECT_EQ(StackWindow::LinesForHeight(s(185), pitch, rise), 10) << "Medium";
    // The 12-point text fits its line: the pitch holds the font's height,
    // and the X line ends inside the display.
    EXPECT_GE(pitch, -s.FontHeight(12)) << "lines would overlap";
    EXPECT_LE(s(41) - rise - s(kLinePitch) + -s.FontHeight(12), s(41)) << "Y line";
  }
}

TEST(Scale, FaceKeysStayApartAndInsideTheFace) {
  // Scaled on their own, neighbouring keys must not overlap, and every key
  // stays inside the face.
  for (int dpi : kDpis) {
    SCOPED_TRACE(dpi);
    const Scale s(dpi);
    for (const FaceKey& a : kFaceKeys) {
      EXPECT_LE(s(a.left) + s(a.width), s(321)) << a.name;
      EXPECT_LE(s(a.top) + s(a.height), s(233)) << a.name;
      for (const FaceKey& b : kFaceKeys) {
        if (&a == &b) continue;
        const bool apart = s(a.left) + s(a.width) <= s(b.left) || s(b.left) + s(b.width) <= s(a.left) ||
                           s(a.top) + s(a.height) <= s(b.top) || s(b.top) + s(b.height) <= s(a.top);
        EXPECT_TRUE(apart) << a.name << " and " << b.name;
      }
    }
  }
}

}  // namespace
}  // namespace nimbrel
