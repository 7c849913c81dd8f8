// The portable half of a face key (TModeButton): how it follows the pointer
// and which part of its picture strip it shows. The Win32 control feeds it
// mouse events and paints the rectangles it computes; the key's frame and
// pressed state live in FaceState, so the keyboard and the mouse draw the
// same key the same way.
#pragma once

#include <functional>

#include "app/FaceKeys.h"

namespace nimbrel {

struct PixelRect {
  int left, top, right, bottom;
  bool operator==(const PixelRect&) const = default;
};

// What to copy from the strip onto the key: frame `glyph` (1-based) of a
// strip `stripWidth` wide holding `frames` frames, each stripWidth / frames
// wide (integer division: leftover columns at the right are never shown).
// A pressed key shows its frame moved `press` pixels (one at 100 %, more at
// a larger scale) right and down, losing as many of its last columns and
// rows; the dark edge above and left of it is drawn apart.
struct FrameCopy {
  PixelRect source;
  PixelRect dest;
};
FrameCopy FrameRects(int stripWidth, int stripHeight, int frames, int glyph, bool down, int press = 1);

enum class MouseButton { Left, Right, Middle };

class ModeButton {
 public:
  // `index` is the key's place in kFaceKeys; `onClick` runs for a completed
  // left click.
  ModeButton(FaceState& face, int index, std::function<void()> onClick)
      : face_(face), index_(index), onClick_(std::move(onClick)) {}

  // Pointer positions are in the key's own pixels.
  void MouseDown(MouseButton button, int x, int y);
  void MouseMove(int x, int y);
  void MouseUp(MouseButton button, int x, int y);

  bool Armed() const { return armed_; }

  // The key's size on the screen, for telling inside from outside: the
  // table's at 100 %, scaled with the display.
  void SetSize(int width, int height) {
    width_ = width;
    height_ = height;
  }

 private:
  bool Inside(int x, int y) const;
  void SetDown(bool down);

  FaceState& face_;
  int index_;
  std::function<void()> onClick_;
  bool armed_ = false;  // a left press began here and is not released yet
  int width_ = kFaceKeys[index_].width;
  int height_ = kFaceKeys[index_].height;
};

}  // namespace nimbrel
