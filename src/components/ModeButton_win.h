// A face key on the window: the portable ModeButton's pointer rule, painted
// from its picture strip (frame by frame, as FaceState says) and fed the
// parent's mouse messages.
#pragma once

#include "components/ModeButton.h"
#include "win/Gdi.h"
#include "win/GraphicControl_win.h"

namespace nimbrel {

class ModeButtonControl : public win::GraphicControl {
 public:
  // `strip` (owned) holds the key's frames side by side.
  ModeButtonControl(FaceState& face, int index, std::function<void()> onClick, HBITMAP strip)
      : face_(face), index_(index), button_(face, index, std::move(onClick)), strip_(strip) {}

  bool Visible() const override { return face_.Key(index_).Visible; }
  // The strip (owned) drawn for the current scale, and how far a press
  // moves the key's picture.
  void SetStrip(HBITMAP strip, int press) {
    strip_.Reset(strip);
    press_ = press;
  }
  // Where it sits, at the current scale; the pointer follows the same size.
  void PlaceKey(HWND parent, RECT bounds) {
    Place(parent, bounds);
    button_.SetSize(bounds.right - bounds.left, bounds.bottom - bounds.top);
  }
  void Paint(HDC dc) const override;
  bool MouseDown(UINT message, int x, int y) override;
  void MouseMove(int x, int y) override { button_.MouseMove(x, y); }
  void MouseUp(UINT message, int x, int y) override;

 private:
  FaceState& face_;
  int index_;
  ModeButton button_;
  win::Bitmap strip_;
  int press_ = 1;
};

}  // namespace nimbrel
