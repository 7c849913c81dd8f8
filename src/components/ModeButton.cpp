#include "components/ModeButton.h"

namespace nimbrel {

FrameCopy FrameRects(int stripWidth, int stripHeight, int frames, int glyph, bool down, int press) {
  const int d = down ? press : 0;
  const int frameWidth = frames > 0 ? stripWidth / frames : stripWidth;
  const int left = frameWidth * (glyph - 1);
  return {{left, 0, left + frameWidth - d, stripHeight - d}, {d, d, frameWidth, stripHeight}};
}

bool ModeButton::Inside(int x, int y) const {
  return x >= 0 && x < width_ && y >= 0 && y < height_;
}

void ModeButton::SetDown(bool down) {
  if (face_.Key(index_).Down != down) face_.SetDown(index_, down);
}

void ModeButton::MouseDown(MouseButton button, int, int) {
  if (button != MouseButton::Left) return;
  SetDown(true);
  armed_ = true;
}

void ModeButton::MouseMove(int x, int y) {
  if (armed_) SetDown(Inside(x, y));
}

void ModeButton::MouseUp(MouseButton, int x, int y) {
  // Any button's release draws the key up, also one pressed from the keyboard.
  SetDown(false);
  if (!armed_) return;
  armed_ = false;
  if (Inside(x, y) && onClick_) onClick_();
}

}  // namespace nimbrel
