// How the calculator's design geometry follows the display's scale.
//
// Every rectangle, font and picture size is given in design units: pixels
// at 96 DPI (100 %). On a screen of another DPI the window's base width
// becomes 321 x DPI / 96, and every design number n becomes
// n x base width / 321, with integer division throughout, so that at 96 DPI
// the numbers are used exactly as they stand. The art generator draws its
// pictures at the sizes this rule gives for 96, 144, 192 and 288 DPI.
#pragma once

namespace nimbrel {

inline constexpr int kDesignDpi = 96;
inline constexpr int kDesignWidth = 321;

// The DPIs the built-in pictures are drawn for (100, 150, 200 and 300 %).
inline constexpr int kArtDpis[] = {96, 144, 192, 288};

class Scale {
 public:
  constexpr explicit Scale(int dpi = kDesignDpi) : dpi_(dpi < 1 ? kDesignDpi : dpi) {}
  constexpr int dpi() const { return dpi_; }
  // The window's base width at this DPI.
  constexpr int BaseWidth() const { return kDesignWidth * dpi_ / kDesignDpi; }
  // A design length at this DPI.
  constexpr int operator()(int n) const { return n * BaseWidth() / kDesignWidth; }
  // A font's height in pixels for `points`, as CreateFont wants it
  // (negative: the character height without internal leading), rounded.
  constexpr int FontHeight(int points) const { return -((points * dpi_ + 36) / 72); }
  // A design font height in pixels (CreateFont's negative heights) at this DPI, rounded.
  constexpr int PixelFontHeight(int designPixels) const {
    return designPixels < 0 ? -((-designPixels * dpi_ + kDesignDpi / 2) / kDesignDpi)
                            : (designPixels * dpi_ + kDesignDpi / 2) / kDesignDpi;
  }
  // The width of a one-pixel design line: whole pixels, at least one.
  constexpr int Line() const { return dpi_ < 2 * kDesignDpi ? 1 : dpi_ / kDesignDpi; }

  friend constexpr bool operator==(Scale a, Scale b) { return a.dpi_ == b.dpi_; }

 private:
  int dpi_;
};

static_assert(Scale(96)(233) == 233 && Scale(192)(233) == 466 && Scale(288)(41) == 123);
static_assert(Scale(144)(321) == 481 && Scale(96).FontHeight(12) == -16 && Scale(144).FontHeight(12) == -24);

}  // namespace nimbrel
