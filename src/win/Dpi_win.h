// The display's scale as Windows reports it, from Windows 7 to 11: every
// call that is newer than Windows 7 is looked up at run time, with the
// older way as its fallback.
#pragma once

#include <windows.h>

#include <vector>

#include "core/Scale.h"

namespace nimbrel::win {

// Makes the process draw at each monitor's own DPI (per-monitor v2 where
// Windows knows it, else per monitor, else system-aware), unless the
// manifest has already done so. Call before the first window is made.
void BecomeDpiAware();

// The DPI `window` is drawn at: its monitor's (Windows 10), else the
// system's.
int DpiOf(HWND window);

// The DPI of the monitor nearest to a screen point, else the system's.
int DpiAt(POINT point);

// The outer size of a window of these styles whose client area has this
// size, at `dpi` (frames and captions grow with it too).
SIZE OuterSizeForDpi(DWORD style, DWORD exStyle, int clientWidth, int clientHeight, int dpi);

// A system metric (SM_CXSMICON, SM_CYCAPTION, ...) at `dpi`.
int MetricForDpi(int index, int dpi);

// The work area of every monitor, primary first.
std::vector<RECT> WorkAreas();

}  // namespace nimbrel::win
