// Where the main window opens: the stored place, unless it would leave the
// window's title bar out of reach on every monitor.
//
// A stored place can lie off every screen: a monitor was unplugged, the
// resolution lowered, a value damaged, or an older run saved the -32000
// that Windows gives a minimised window. Opened there, the calculator would
// show nothing but its tray icon. Such a place is moved onto the work area
// of the nearest monitor; a place whose title bar can be reached is used
// exactly as stored.
#pragma once

#include <vector>

namespace nimbrel {

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

struct ScreenPoint {
  int x = 0, y = 0;
  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// Whether a work area holds enough of the title bar (the band `titleHeight`
// high along the top of `window`) to take hold of it with the pointer: a
// piece at least kTitleGrip pixels wide (or the whole bar, if narrower) and
// at least half the bar's height.
inline constexpr int kTitleGrip = 32;
bool TitleBarReachable(const ScreenRect& window, int titleHeight, const std::vector<ScreenRect>& workAreas);

// The top-left corner at which to open a window of this outer size stored
// at `stored` (any 32-bit values): unchanged when its title bar is
// reachable on some work area; otherwise moved the least distance that puts
// the whole window inside the nearest work area (at the area's top-left
// corner when the window is larger than the area). With no work areas at
// all, unchanged.
ScreenPoint PlaceOnScreen(ScreenPoint stored, int width, int height, int titleHeight,
                          const std::vector<ScreenRect>& workAreas);

}  // namespace nimbrel
