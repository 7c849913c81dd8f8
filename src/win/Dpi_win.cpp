#include "win/Dpi_win.h"

#include <algorithm>

#include "win/SystemFunction_win.h"

namespace nimbrel::win {

namespace {

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

// The monitor's own DPI (Windows 8.1), else the system's.
int MonitorDpi(HMONITOR monitor) {
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto getDpiForMonitor = SystemFunction<GetDpiForMonitorFn>("shcore.dll", "GetDpiForMonitor");
  UINT x = 0, y = 0;
  if (monitor && getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && y > 0) {
    return static_cast<int>(y);
  }
  return SystemDpi();
}

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) {
    auto& areas = *reinterpret_cast<std::vector<RECT>*>(list);
    const RECT r = info.rcWork;
    if (info.dwFlags & MONITORINFOF_PRIMARY) {
      areas.insert(areas.begin(), r);
    } else {
      areas.push_back(r);
    }
  }
  return TRUE;
}

}  // namespace

void BecomeDpiAware() {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  using SetAwarenessFn = HRESULT(WINAPI*)(int);
  if (auto setContext = SystemFunction<SetContextFn>("user32.dll", "SetProcessDpiAwarenessContext")) {
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, then _PER_MONITOR_AWARE.
    if (setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4))) ||
        setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-3)))) {
      return;
    }
    if (GetLastError() == ERROR_ACCESS_DENIED) return;  // already set, by the manifest
  }
  if (auto setAwareness = SystemFunction<SetAwarenessFn>("shcore.dll", "SetProcessDpiAwareness")) {
    if (SUCCEEDED(setAwareness(2 /* PROCESS_PER_MONITOR_DPI_AWARE */))) return;
  }
  SetProcessDPIAware();
}

int DpiOf(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = SystemFunction<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow");
  if (getDpiForWindow && window) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return window ? MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)) : SystemDpi();
}

int DpiAt(POINT point) { return MonitorDpi(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST)); }

SIZE OuterSizeForDpi(DWORD style, DWORD exStyle, int clientWidth, int clientHeight, int dpi) {
  using AdjustFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = SystemFunction<AdjustFn>("user32.dll", "AdjustWindowRectExForDpi");
  RECT r{0, 0, clientWidth, clientHeight};
  if (!adjust || !adjust(&r, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    r = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
  }
  return {r.right - r.left, r.bottom - r.top};
}

int MetricForDpi(int index, int dpi) {
  using MetricFn = int(WINAPI*)(int, UINT);
  static const auto metric = SystemFunction<MetricFn>("user32.dll", "GetSystemMetricsForDpi");
  if (metric) return metric(index, static_cast<UINT>(dpi));
  // Before Windows 10 the metrics follow the system's DPI only.
  return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

std::vector<RECT> WorkAreas() {
  std::vector<RECT> areas;
  EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  if (areas.empty()) {
    RECT work{};
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) areas.push_back(work);
  }
  return areas;
}

}  // namespace nimbrel::win
