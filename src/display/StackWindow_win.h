// The display on the window: a sunken frame, the blue-grey field and the
// model's lines in white, X at the bottom, as many as the height allows.
#pragma once

#include "core/Scale.h"
#include "display/StackWindow.h"
#include "win/Gdi.h"
#include "win/GraphicControl_win.h"

namespace nimbrel {

class StackWindowControl : public win::GraphicControl {
 public:
  // The font is not owned.
  StackWindowControl(const StackWindow& model, COLORREF field) : model_(model), field_(field) {}
  // The font (not owned) and the geometry at the display's scale.
  void SetScale(const Scale& scale, HFONT font) {
    scale_ = scale;
    font_ = font;
    fitted_.Reset();
    fittedFor_ = nullptr;
  }
  void Paint(HDC dc) const override;

  // A copy of `font` narrow enough for `chars` characters to fit `room`
  // pixels, or no font when `font` fits as it is.
  static win::Font NarrowedFont(HDC dc, HFONT font, int chars, int room);

 private:
  const StackWindow& model_;
  COLORREF field_;
  Scale scale_;
  HFONT font_ = nullptr;
  // The display's font made narrow enough for a 16-character line, made at
  // the first paint for each font and room.
  mutable win::Font fitted_;
  mutable HFONT fittedFor_ = nullptr;
  mutable int fittedRoom_ = 0;
};

}  // namespace nimbrel
