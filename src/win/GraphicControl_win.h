// Controls with no window of their own, as a form framework's graphic
// controls: each is a rectangle of its parent's client area, painted by the
// parent into its off-screen bitmap (back to front, in the order they were
// added) and fed the parent's mouse messages. Pictures, bevels and labels
// are here; the face keys and the display build on the same base.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace nimbrel::win {

class GraphicControl {
 public:
  GraphicControl() = default;
  virtual ~GraphicControl() = default;
  GraphicControl(const GraphicControl&) = delete;
  GraphicControl& operator=(const GraphicControl&) = delete;

  // Where it sits in its parent's client area; both parts repaint.
  void Place(HWND parent, RECT bounds);
  const RECT& bounds() const { return bounds_; }
  virtual bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Invalidate() const;

  // Paints in the parent's client coordinates.
  virtual void Paint(HDC dc) const = 0;
  // Mouse messages (WM_xBUTTONDOWN/UP) in the control's own coordinates. A
  // press that returns true keeps the mouse until its button is released;
  // moves go only to the control that keeps it.
  virtual bool MouseDown(UINT message, int x, int y);
  virtual void MouseMove(int, int) {}
  virtual void MouseUp(UINT, int, int) {}

  // Runs on a left press, for controls that don't handle the mouse otherwise.
  std::function<void()> onClick;

 protected:
  HWND parent_ = nullptr;
  RECT bounds_{};
  bool visible_ = true;
};

// A bitmap (not owned) drawn at the control's top left corner, or
// stretched over the whole control.
class Picture : public GraphicControl {
 public:
  void SetBitmap(HBITMAP bitmap, bool stretch = false) {
    bitmap_ = bitmap;
    stretch_ = stretch;
  }
  void Paint(HDC dc) const override;

 private:
  HBITMAP bitmap_ = nullptr;
  bool stretch_ = false;
};

// A frame of DrawEdge's kind: sunken by one pixel unless told otherwise.
class Bevel : public GraphicControl {
 public:
  explicit Bevel(UINT edge = BDR_SUNKENOUTER) : edge_(edge) {}
  // Each of the edge's lines drawn `lines` pixels wide (at a larger scale).
  void SetThickness(int lines) { lines_ = lines < 1 ? 1 : lines; }
  void Paint(HDC dc) const override;

 private:
  UINT edge_;
  int lines_ = 1;
};

// One line of text on a transparent background, in a font it doesn't own.
class Label : public GraphicControl {
 public:
  Label(std::string text, HFONT font, COLORREF colour) : text_(std::move(text)), font_(font), colour_(colour) {}
  void SetFont(HFONT font) { font_ = font; }
  void Paint(HDC dc) const override;

 private:
  std::string text_;
  HFONT font_;
  COLORREF colour_;
};

// The graphic controls of one window: paints them and routes its mouse.
class GraphicControls {
 public:
  explicit GraphicControls(HWND& parent) : parent_(parent) {}
  // Adds a control on top of those added before, at `bounds`.
  void Add(GraphicControl& control, RECT bounds);
  void Paint(HDC dc) const;
  // One mouse message of the parent, in client coordinates.
  void Mouse(UINT message, int x, int y);
  // The parent lost the mouse capture.
  void CaptureLost() { captured_ = nullptr; }

 private:
  GraphicControl* At(int x, int y) const;

  HWND& parent_;
  std::vector<GraphicControl*> controls_;
  GraphicControl* captured_ = nullptr;
};

}  // namespace nimbrel::win
