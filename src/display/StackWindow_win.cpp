#include "display/StackWindow_win.h"

#include <string>

#include "display/NumberFormat.h"
#include "win/Gdi.h"

namespace nimbrel {

namespace {

// The width of `chars` characters of the font selected in `dc` (the
// display's typeface has a fixed pitch).
int TextWidth(HDC dc, int chars) {
  const std::string sample(static_cast<size_t>(chars), '0');
  SIZE size{};
  GetTextExtentPoint32A(dc, sample.c_str(), chars, &size);
  return size.cx;
}

}  // namespace

// The display's font unless `chars` characters of it are wider than
// `room`; then a copy of it with characters narrow enough (the bundled
// OCR-A is about 11 pixels a character at 100 %, and a 16-character line
// would lose its last digit at the display's edge). Null when the font fits.
win::Font StackWindowControl::NarrowedFont(HDC dc, HFONT font, int chars, int room) {
  win::Font narrow;
  if (font == nullptr || chars < 1 || room < chars) return narrow;
  {
    win::Selection selected(dc, font);
    if (TextWidth(dc, chars) <= room) return narrow;
  }
  LOGFONTA lf{};
  if (GetObjectA(font, sizeof lf, &lf) == 0) return narrow;
  // GDI picks the nearest width it can draw; step down until it fits.
  for (int width = room / chars; width >= 1; --width) {
    lf.lfWidth = width;
    narrow.Reset(CreateFontIndirectA(&lf));
    if (!narrow) break;
    win::Selection selected(dc, narrow.get());
    if (TextWidth(dc, chars) <= room) break;
  }
  return narrow;
}

void StackWindowControl::Paint(HDC dc) const {
  const RECT& r = bounds_;
  const int h = r.bottom - r.top;
  // The sunken frame (dark left and top, light right and bottom), as many
  // pixels wide as a design pixel is at this scale, then the field.
  const int t = scale_.Line();
  const RECT dark[] = {{r.left, r.top, r.left + t, r.bottom}, {r.left, r.top, r.right, r.top + t}};
  const RECT light[] = {{r.right - t, r.top, r.right, r.bottom}, {r.left + t, r.bottom - t, r.right, r.bottom}};
  for (const RECT& edge : dark) FillRect(dc, &edge, GetSysColorBrush(COLOR_3DDKSHADOW));
  for (const RECT& edge : light) FillRect(dc, &edge, GetSysColorBrush(COLOR_3DLIGHT));
  win::Brush field(CreateSolidBrush(field_));
  const RECT inside{r.left + t, r.top + t, r.right - t, r.bottom - t};
  FillRect(dc, &inside, field.get());
#ifdef NIMBREL_SOAK_LEAK
  // Only in the soak benchmark's leak build: one brush a paint that is never
  // deleted, to show that the soak catches such a leak.
  CreateSolidBrush(field_);
#endif

  // The text runs from the left margin to the light frame: every line of
  // 16 characters fits it, and a longer one (a number being typed) is drawn
  // narrower still.
  const int left = r.left + scale_(5);
  const int room = r.right - t - left;
  if (fittedFor_ != font_ || fittedRoom_ != room) {
    fitted_ = NarrowedFont(dc, font_, kLineBudget, room);
    fittedFor_ = font_;
    fittedRoom_ = room;
  }
  const HFONT lineFont = fitted_ ? fitted_.get() : font_;
  win::Selection font(dc, lineFont);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  const int pitch = scale_(kLinePitch);
  const int rise = scale_(kXLineRise);
  const std::vector<std::string> lines = model_.Lines(StackWindow::LinesForHeight(h, pitch, rise));
  const int count = static_cast<int>(lines.size());
  for (int j = 0; j < count; ++j) {  // lines come top first; X is the last
    const std::string& text = lines[count - 1 - j];
    const int length = static_cast<int>(text.size());
    win::Font longer;
    if (length > kLineBudget) longer = NarrowedFont(dc, lineFont, length, room);
    win::Selection narrower(dc, longer ? longer.get() : lineFont);
    TextOutA(dc, left, r.top + h - rise - pitch * j, text.c_str(), length);
  }
}

}  // namespace nimbrel
