// The display on the window: a sunken frame, the blue-grey field and the
// model's lines in white, X at the bottom, as many as the height allows.
#pragma once

#include "display/StackWindow.h"
#include "win/GraphicControl_win.h"

namespace nimbrel {

class StackWindowControl : public win::GraphicControl {
 public:
  // The font is not owned.
  StackWindowControl(const StackWindow& model, COLORREF field, HFONT font)
      : model_(model), field_(field), font_(font) {}
  void Paint(HDC dc) const override;

 private:
  const StackWindow& model_;
  COLORREF field_;
  HFONT font_;
};

}  // namespace nimbrel
