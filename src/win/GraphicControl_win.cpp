#include "win/GraphicControl_win.h"

#include "win/Gdi.h"

namespace nimbrel::win {

void GraphicControl::Place(HWND parent, RECT bounds) {
  Invalidate();
  parent_ = parent;
  bounds_ = bounds;
  Invalidate();
}

void GraphicControl::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Invalidate();
}

void GraphicControl::Invalidate() const {
  // A hidden parent is painted whole when it shows, so there is nothing to
  // mark (and under Wine each mark is a call to the server: the start lays
  // out some seventy controls before the first frame).
  if (parent_ && IsWindowVisible(parent_)) InvalidateRect(parent_, &bounds_, FALSE);
}

bool GraphicControl::MouseDown(UINT message, int, int) {
  if (message == WM_LBUTTONDOWN && onClick) onClick();
  return false;
}

void Picture::Paint(HDC dc) const {
  if (!bitmap_) return;
  MemoryDC picture(dc);
  Selection selected(picture.get(), bitmap_);
  const int w = bounds_.right - bounds_.left;
  const int h = bounds_.bottom - bounds_.top;
  if (stretch_) {
    BITMAP info{};
    GetObjectA(bitmap_, sizeof info, &info);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, bounds_.left, bounds_.top, w, h, picture.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  } else {
    BitBlt(dc, bounds_.left, bounds_.top, w, h, picture.get(), 0, 0, SRCCOPY);
  }
}

void Bevel::Paint(HDC dc) const {
  // One edge of each kind is one pixel per line; a thicker one is the same
  // edge drawn again one pixel further in, for each pixel of thickness,
  // outer lines first.
  const UINT parts[] = {edge_ & BDR_OUTER, edge_ & BDR_INNER};
  RECT r = bounds_;
  for (UINT part : parts) {
    if (!part) continue;
    for (int i = 0; i < lines_; ++i) {
      RECT line = r;
      DrawEdge(dc, &line, part, BF_RECT);
      InflateRect(&r, -1, -1);
    }
  }
}

void Label::Paint(HDC dc) const {
  Selection font(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour_);
  TextOutA(dc, bounds_.left, bounds_.top, text_.c_str(), static_cast<int>(text_.size()));
}

void GraphicControls::Add(GraphicControl& control, RECT bounds) {
  control.Place(parent_, bounds);
  controls_.push_back(&control);
}

void GraphicControls::Paint(HDC dc) const {
  for (const GraphicControl* c : controls_) {
    if (c->Visible()) c->Paint(dc);
  }
}

GraphicControl* GraphicControls::At(int x, int y) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    const RECT& r = (*it)->bounds();
    if ((*it)->Visible() && x >= r.left && x < r.right && y >= r.top && y < r.bottom) return *it;
  }
  return nullptr;
}

void GraphicControls::Mouse(UINT message, int x, int y) {
  GraphicControl* target = captured_ ? captured_ : At(x, y);
  if (!target) return;
  const int cx = x - target->bounds().left;
  const int cy = y - target->bounds().top;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      if (target->MouseDown(message, cx, cy) && !captured_) {
        captured_ = target;
        SetCapture(parent_);
      }
      break;
    case WM_MOUSEMOVE:
      if (captured_) captured_->MouseMove(cx, cy);
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (captured_ && message == WM_LBUTTONUP) {
        captured_ = nullptr;
        ReleaseCapture();  // (WM_CAPTURECHANGED comes back to CaptureLost)
      }
      target->MouseUp(message, cx, cy);
      break;
    default:
      break;
  }
}

}  // namespace nimbrel::win
