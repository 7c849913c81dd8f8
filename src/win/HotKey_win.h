// The calculator's global hotkey, registered for its window, and a key's
// name as the hotkey control shows it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace nimbrel::win {

class GlobalHotKey {
 public:
  GlobalHotKey() = default;
  GlobalHotKey(const GlobalHotKey&) = delete;
  GlobalHotKey& operator=(const GlobalHotKey&) = delete;
  ~GlobalHotKey() { Clear(); }

  // The key (as the hotkey control holds it; 0: none) for the window,
  // instead of the last one; false when another program (or Windows) holds it.
  bool Set(HWND window, uint16_t hotKey);
  void Clear();

  static constexpr int kId = 1;  // WM_HOTKEY's wParam

 private:
  HWND window_ = nullptr;
};

// "Ctrl + Alt + K", the key's name as the keyboard layout gives it.
std::string HotKeyKeyText(uint16_t hotKey);

}  // namespace nimbrel::win
