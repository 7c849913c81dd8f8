#include "display/StackWindow_win.h"

#include "win/Gdi.h"

namespace nimbrel {

void StackWindowControl::Paint(HDC dc) const {
  const RECT& r = bounds_;
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  // The sunken frame, then the field.
  win::Pen dark(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW)));
  win::Pen light(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DLIGHT)));
  {
    win::Selection pen(dc, dark.get());
    MoveToEx(dc, r.left, r.top + h - 1, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.left + w - 1, r.top);
  }
  {
    win::Selection pen(dc, light.get());
    LineTo(dc, r.left + w - 1, r.top + h - 1);
    LineTo(dc, r.left, r.top + h - 1);
  }
  win::Brush field(CreateSolidBrush(field_));
  const RECT inside{r.left + 1, r.top + 1, r.left + w - 1, r.top + h - 1};
  FillRect(dc, &inside, field.get());

  win::Selection font(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  const std::vector<std::string> lines = model_.Lines(StackWindow::LinesForHeight(h));
  const int count = static_cast<int>(lines.size());
  for (int j = 0; j < count; ++j) {  // lines come top first; X is the last
    const std::string& text = lines[count - 1 - j];
    TextOutA(dc, r.left + 5, r.top + h - kXLineRise - kLinePitch * j, text.c_str(), static_cast<int>(text.size()));
  }
}

}  // namespace nimbrel
