#include "display/StackWindow_win.h"

#include "win/Gdi.h"

namespace nimbrel {

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

  win::Selection font(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  const int pitch = scale_(kLinePitch);
  const int rise = scale_(kXLineRise);
  const std::vector<std::string> lines = model_.Lines(StackWindow::LinesForHeight(h, pitch, rise));
  const int count = static_cast<int>(lines.size());
  for (int j = 0; j < count; ++j) {  // lines come top first; X is the last
    const std::string& text = lines[count - 1 - j];
    TextOutA(dc, r.left + scale_(5), r.top + h - rise - pitch * j, text.c_str(), static_cast<int>(text.size()));
  }
}

}  // namespace nimbrel
