// The display on the window: a sunken frame, the blue-grey field and the
// model's lines in white, X at the bottom, as many as the height allows.
#pragma once

#include "core/Scale.h"
#include "display/StackWindow.h"
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
  }
  void Paint(HDC dc) const override;

 private:
  const StackWindow& model_;
  COLORREF field_;
  Scale scale_;
  HFONT font_ = nullptr;
};

}  // namespace nimbrel
