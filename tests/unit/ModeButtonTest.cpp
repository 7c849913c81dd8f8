#include <gtest/gtest.h>

#include "components/ModeButton.h"
#include "app/FaceKeys.h"

namespace nimbrel {
namespace {

struct ModeButtonTest : ::testing::Test {
  FaceState face;
  int sin = FaceKeyIndex("SIN");  // 33 x 25
  int clicks = 0;
  ModeButton key{face, sin, [this] { ++clicks; }};
  bool Down() const { return face.Key(sin).Down; }
};

TEST_F(ModeButtonTest, PressAndReleaseInsideClicks) {
  key.MouseDown(MouseButton::Left, 5, 5);
  EXPECT_TRUE(Down());
  key.MouseUp(MouseButton::Left, 5, 5);
  EXPECT_FALSE(Down());
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(key.Armed());
}

TEST_F(ModeButtonTest, DraggedOffAndReleasedOutsideDoesNothing) {
  key.MouseDown(MouseButton::Left, 5, 5);
  key.MouseMove(33, 5);  // one past the right edge
  EXPECT_FALSE(Down());
  key.MouseUp(MouseButton::Left, 40, 5);
  EXPECT_EQ(clicks, 0);
}

TEST_F(ModeButtonTest, DraggedBackOnClicks) {
  key.MouseDown(MouseButton::Left, 5, 5);
  key.MouseMove(5, -1);
  EXPECT_FALSE(Down());
  key.MouseMove(32, 24);  // the last pixel inside
  EXPECT_TRUE(Down());
  key.MouseUp(MouseButton::Left, 32, 24);
  EXPECT_EQ(clicks, 1);
}

TEST_F(ModeButtonTest, OtherButtonsNeitherPressNorClick) {
  key.MouseDown(MouseButton::Right, 5, 5);
  EXPECT_FALSE(Down());
  key.MouseUp(MouseButton::Right, 5, 5);
  EXPECT_EQ(clicks, 0);
  // ...but a right release draws up a key held down from the keyboard.
  face.PressFaceKey(kFaceKeys[sin].shownBy[0]);
  ASSERT_TRUE(Down());
  key.MouseUp(MouseButton::Right, 5, 5);
  EXPECT_FALSE(Down());
  EXPECT_EQ(clicks, 0);
}

TEST_F(ModeButtonTest, MovesWithoutAPressChangeNothing) {
  int changes = 0;
  face.onChange = [&](int) { ++changes; };
  key.MouseMove(5, 5);
  key.MouseMove(50, 50);
  EXPECT_EQ(changes, 0);
  key.MouseDown(MouseButton::Left, 5, 5);
  key.MouseMove(6, 6);  // still inside: the state is not set again
  EXPECT_EQ(changes, 1);
}

TEST_F(ModeButtonTest, AtTwiceTheScaleTheWholeLargerKeyCounts) {
  key.SetSize(66, 50);
  key.MouseDown(MouseButton::Left, 60, 45);
  key.MouseMove(65, 49);  // inside only because the key is larger now
  EXPECT_TRUE(Down());
  key.MouseMove(66, 20);
  EXPECT_FALSE(Down());
  key.MouseUp(MouseButton::Left, 65, 49);
  EXPECT_EQ(clicks, 1);
}

TEST(FrameRects, ShowTheChosenFrameWholeOrPressed) {
  const struct {
    int width, height, frames, glyph;
    bool down;
    PixelRect source, dest;
  } cases[] = {
      {66, 25, 2, 1, false, {0, 0, 33, 25}, {0, 0, 33, 25}},
      {66, 25, 2, 2, false, {33, 0, 66, 25}, {0, 0, 33, 25}},   // the right half
      {66, 25, 2, 2, true, {33, 0, 65, 24}, {1, 1, 33, 25}},    // moved right and down
      {99, 25, 3, 3, false, {66, 0, 99, 25}, {0, 0, 33, 25}},   // Shift on
      {146, 25, 2, 2, false, {73, 0, 146, 25}, {0, 0, 73, 25}}, // Zero's HELP
      {67, 25, 2, 2, false, {33, 0, 66, 25}, {0, 0, 33, 25}},   // a leftover column is never shown
  };
  for (const auto& c : cases) {
    const FrameCopy copy = FrameRects(c.width, c.height, c.frames, c.glyph, c.down);
    EXPECT_EQ(copy.source, c.source) << c.width << " glyph " << c.glyph;
    EXPECT_EQ(copy.dest, c.dest) << c.width << " glyph " << c.glyph;
  }
  // At 200 % a pressed key moves two pixels, and loses two columns and rows.
  const FrameCopy pressed = FrameRects(132, 50, 2, 2, true, 2);
  EXPECT_EQ(pressed.source, (PixelRect{66, 0, 130, 48}));
  EXPECT_EQ(pressed.dest, (PixelRect{2, 2, 66, 50}));
  EXPECT_EQ(FrameRects(132, 50, 2, 2, false, 2).dest, (PixelRect{0, 0, 66, 50}));
}

}  // namespace
}  // namespace nimbrel
