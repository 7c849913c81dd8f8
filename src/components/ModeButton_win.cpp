#include "components/ModeButton_win.h"

namespace nimbrel {

namespace {

MouseButton ButtonOf(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ? MouseButton::Left : MouseButton::Right;
}

}  // namespace

void ModeButtonControl::Paint(HDC dc) const {
  if (!strip_) return;
  const FaceState::KeyState& state = face_.Key(index_);
  const FaceKey& key = kFaceKeys[index_];
  BITMAP info{};
  GetObjectA(strip_.get(), sizeof info, &info);
  const FrameCopy copy = FrameRects(info.bmWidth, info.bmHeight, key.frames, state.CurrentGlyph, state.Down, press_);
  const int left = bounds_.left;
  const int top = bounds_.top;
  if (state.Down) {
    // The pressed key's dark left and top edge, as wide as the press moves it.
    const RECT edges[] = {{left, top, left + press_, bounds_.bottom}, {left, top, bounds_.right, top + press_}};
    for (const RECT& edge : edges) FillRect(dc, &edge, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  win::MemoryDC strip(dc);
  win::Selection selected(strip.get(), strip_.get());
  BitBlt(dc, left + copy.dest.left, top + copy.dest.top, copy.dest.right - copy.dest.left,
         copy.dest.bottom - copy.dest.top, strip.get(), copy.source.left, copy.source.top, SRCCOPY);
}

bool ModeButtonControl::MouseDown(UINT message, int x, int y) {
  button_.MouseDown(ButtonOf(message), x, y);
  return message == WM_LBUTTONDOWN;  // a left press follows the pointer until released
}

void ModeButtonControl::MouseUp(UINT message, int x, int y) { button_.MouseUp(ButtonOf(message), x, y); }

}  // namespace nimbrel
