// Where the main window opens, over lists of monitors' work areas.
#include "app/Placement.h"

#include <gtest/gtest.h>

#include <climits>

namespace nimbrel {
namespace {

// The calculator's outer size at 100 % (client 321 x 233 plus frame and caption).
constexpr int kWidth = 327;
constexpr int kHeight = 262;
constexpr int kTitle = 23;

// Work areas: a 1024 x 768 primary with a 30-pixel taskbar at the bottom; a
// 1920 x 1080 monitor to its right, a 1280 x 1024 one to its left.
const ScreenRect kPrimary{0, 0, 1024, 738};
const ScreenRect kRight{1024, 0, 2944, 1050};
const ScreenRect kLeft{-1280, 0, 0, 994};

TEST(Placement, WhereTheStoredPlaceIsUsedAndWhereItMoves) {
  const struct {
    const char* what;
    ScreenPoint stored;
    std::vector<ScreenRect> areas;
    ScreenPoint want;
  } cases[] = {
      {"a visible place stays exactly", {100, 80}, {kPrimary}, {100, 80}},
      {"the first start's corner stays", {0, 0}, {kPrimary}, {0, 0}},
      {"on the second monitor, still there", {1500, 200}, {kPrimary, kRight}, {1500, 200}},
      {"on a monitor to the left, negative x", {-900, 300}, {kLeft, kPrimary}, {-900, 300}},
      {"a minimised window's -32000 comes to the corner", {-32000, -32000}, {kPrimary}, {0, 0}},
      {"the second monitor unplugged: to the primary's right edge", {1500, 200}, {kPrimary}, {1024 - kWidth, 200}},
      {"below the taskbar's top: moved up, not sideways", {100, 760}, {kPrimary}, {100, 738 - kHeight}},
      {"only 20 pixels of title bar at the right edge: moved in", {1004, 300}, {kPrimary}, {1024 - kWidth, 300}},
      {"40 pixels of title bar at the right edge: kept", {984, 300}, {kPrimary}, {984, 300}},
      {"caption a little above the screen, most of it showing: kept", {200, -5}, {kPrimary}, {200, -5}},
      {"caption mostly above the screen: moved down", {200, -15}, {kPrimary}, {200, 0}},
      {"hanging off the left monitor's left edge, grip showing", {-1280 - 200, 100}, {kLeft, kPrimary},
       {-1280 - 200, 100}},
      {"off the left monitor's left edge, unreachable", {-1280 - 320, 100}, {kLeft, kPrimary}, {-1280, 100}},
      {"damaged extremes", {INT_MAX, INT_MIN}, {kPrimary}, {1024 - kWidth, 0}},
      {"damaged extremes the other way", {INT_MIN, INT_MAX}, {kPrimary}, {0, 738 - kHeight}},
      {"no monitors known: as stored", {-32000, -32000}, {}, {-32000, -32000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ScreenPoint got = PlaceOnScreen(c.stored, kWidth, kHeight, kTitle, c.areas);
    EXPECT_EQ(got.x, c.want.x);
    EXPECT_EQ(got.y, c.want.y);
  }
}

TEST(Placement, AnUnreachablePlaceGoesToTheNearestMonitor) {
  // Monitors of different heights side by side: a place under the shorter
  // one's bottom, beside the taller one.
  const ScreenRect tall{0, 0, 1024, 768};
  const ScreenRect shortOne{1024, 0, 2048, 600};
  EXPECT_EQ(PlaceOnScreen({1500, 650}, kWidth, kHeight, kTitle, {tall, shortOne}), (ScreenPoint{1500, 600 - kHeight}));
  // Far above the left monitor rather than the primary.
  EXPECT_EQ(PlaceOnScreen({-900, -5000}, kWidth, kHeight, kTitle, {kPrimary, kLeft}), (ScreenPoint{-900, 0}));
  // Straddling two monitors with too little of the title bar on either: the
  // one it shares more with.
  const ScreenRect a{0, 0, 1000, 700};
  const ScreenRect b{1000, 0, 2000, 700};
  EXPECT_EQ(PlaceOnScreen({800, 690}, kWidth, kHeight, kTitle, {b, a}), (ScreenPoint{1000 - kWidth, 700 - kHeight}));
  EXPECT_EQ(PlaceOnScreen({900, 690}, kWidth, kHeight, kTitle, {a, b}), (ScreenPoint{1000, 700 - kHeight}));
}

TEST(Placement, AWindowLargerThanTheWorkAreaGoesToItsCorner) {
  const ScreenRect small{10, 20, 310, 220};
  EXPECT_EQ(PlaceOnScreen({5000, 5000}, kWidth, kHeight, kTitle, {small}), (ScreenPoint{10, 20}));
  // Reachable there, it stays, even though it doesn't fit.
  EXPECT_EQ(PlaceOnScreen({100, 100}, kWidth, kHeight, kTitle, {small}), (ScreenPoint{100, 100}));
}

TEST(Placement, TheTitleBarNeedsAGripOfItsOwn) {
  // The window's body showing but its caption off the bottom of one monitor
  // and under no other: out of reach.
  EXPECT_FALSE(TitleBarReachable({100, 730, 100 + kWidth, 730 + kHeight}, kTitle, {kPrimary}));
  // Exactly the grip: 32 pixels wide and half the caption high.
  EXPECT_TRUE(TitleBarReachable({1024 - kTitleGrip, 738 - 12, 1024 - kTitleGrip + kWidth, 1000}, kTitle, {kPrimary}));
  EXPECT_FALSE(TitleBarReachable({1024 - kTitleGrip + 1, 0, 2000, 300}, kTitle, {kPrimary}));
  EXPECT_FALSE(TitleBarReachable({0, 738 - 11, kWidth, 1000}, kTitle, {kPrimary}));
  // A window narrower than the grip needs its whole width.
  EXPECT_TRUE(TitleBarReachable({0, 0, 20, 40}, kTitle, {kPrimary}));
}

}  // namespace
}  // namespace nimbrel
