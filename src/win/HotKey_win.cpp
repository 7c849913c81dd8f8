#include "win/HotKey_win.h"

#include "app/Summon.h"

namespace nimbrel::win {

bool GlobalHotKey::Set(HWND window, uint16_t hotKey) {
  Clear();
  if (hotKey == 0) return true;
  if (!RegisterHotKey(window, kId, HotKeyModifiers(hotKey), hotKey & 0xFF)) return false;
  window_ = window;
  return true;
}

void GlobalHotKey::Clear() {
  if (window_) UnregisterHotKey(window_, kId);
  window_ = nullptr;
}

std::string HotKeyKeyText(uint16_t hotKey) {
  const UINT scan = MapVirtualKeyA(hotKey & 0xFF, MAPVK_VK_TO_VSC);
  LONG code = static_cast<LONG>(scan << 16);
  if (hotKey & kHotKeyExtended) code |= 1 << 24;
  char name[64] = {};
  if (GetKeyNameTextA(code, name, sizeof name) <= 0) {
    wsprintfA(name, "Key %u", static_cast<unsigned>(hotKey & 0xFF));
  }
  return HotKeyText(hotKey, name);
}

}  // namespace nimbrel::win
