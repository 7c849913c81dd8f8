#include "win/HotKey_win.h"

namespace nimbrel::win {

bool GlobalHotKey::Set(HWND window, UINT modifiers, UINT key) {
  Clear();
  if (key == 0) return true;
  if (!RegisterHotKey(window, kId, modifiers, key)) return false;
  window_ = window;
  return true;
}

void GlobalHotKey::Clear() {
  if (window_) UnregisterHotKey(window_, kId);
  window_ = nullptr;
}

std::string KeyName(UINT key, bool extended) {
  LONG code = static_cast<LONG>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC) << 16);
  if (extended) code |= 1 << 24;
  char name[64] = {};
  if (GetKeyNameTextA(code, name, sizeof name) <= 0) wsprintfA(name, "Key %u", key);
  return name;
}

}  // namespace nimbrel::win
