// A global hotkey registered for a window, and a key's name as the keyboard
// layout gives it.
#pragma once

#include <windows.h>

#include <string>

namespace nimbrel::win {

class GlobalHotKey {
 public:
  GlobalHotKey() = default;
  GlobalHotKey(const GlobalHotKey&) = delete;
  GlobalHotKey& operator=(const GlobalHotKey&) = delete;
  ~GlobalHotKey() { Clear(); }

  // The key (RegisterHotKey's modifiers and virtual-key code; key 0: none)
  // for the window, instead of the last one; false when another program (or
  // Windows) holds it.
  bool Set(HWND window, UINT modifiers, UINT key);
  void Clear();

  static constexpr int kId = 1;  // WM_HOTKEY's wParam

 private:
  HWND window_ = nullptr;
};

// "K", "F2", "Insert": the key's name on this keyboard layout.
std::string KeyName(UINT key, bool extended);

}  // namespace nimbrel::win
