// The title bar follows the system's app mode: dark when the user chose dark
// apps (Windows 10 and 11), light otherwise. The painted face stays as it is.
// Where the system can't do it (older Windows, Wine), nothing changes.
#pragma once

#include <windows.h>

#include "win/SystemFunction_win.h"

namespace nimbrel::win {

// Whether the user chose the dark mode for programs.
inline bool AppsPreferDark() {
  DWORD light = 1, size = sizeof light;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  DWORD type = 0;
  const bool read = RegQueryValueExA(key, "AppsUseLightTheme", nullptr, &type, reinterpret_cast<BYTE*>(&light),
                                     &size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return read && type == REG_DWORD && size == sizeof light && light == 0;
}

// Asks for a dark or a light title bar. dwmapi is loaded only once a dark
// one is wanted, or the mode changes: the light start costs nothing.
inline void FollowAppMode(HWND window, bool modeChanged) {
  const BOOL dark = AppsPreferDark();
  if (!dark && !modeChanged) return;
  using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  static const auto set = SystemFunction<SetAttribute>("dwmapi.dll", "DwmSetWindowAttribute");
  if (!set) return;
  // The attribute's number since Windows 10 20H1; the builds before it
  // knew it as 19.
  if (FAILED(set(window, 20, &dark, sizeof dark))) set(window, 19, &dark, sizeof dark);
}

// For a top-level window's procedure: at its creation, and when the system
// says the colour mode changed.
inline void FollowAppModeOn(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_CREATE && !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) FollowAppMode(window, false);
  if (message == WM_SETTINGCHANGE && lParam && lstrcmpA(reinterpret_cast<const char*>(lParam), "ImmersiveColorSet") == 0) {
    FollowAppMode(window, true);
  }
}

}  // namespace nimbrel::win
