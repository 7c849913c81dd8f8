// The memory slots window without its window: nine slot copies, the focus,
// and what its keys and double clicks do. The Win32 form and nimbrel-cli
// both run it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "core/Engine.h"
#include "app/Platform.h"
#include "display/EntryLine.h"

namespace nimbrel {

class MemoryWindow {
 public:
  using Mode = Platform::MemoryMode;

  // Slot n was stored into or recalled from.
  using Acted = std::function<void(Mode, int)>;

  // Copies the nine values and letters out of the engine's memory; slot 1
  // has the focus.
  MemoryWindow(Mode mode, Engine& engine, EntryLine& entry, Acted acted = {});

  // "Memory Slots [STORE]" or "Memory Slots [RECALL]".
  const char* Caption() const;

  // A key seen by the form first (key preview), then by the focused slot.
  // Escape or Ctrl closes, 1-9 (main row or keypad) move the focus, Enter
  // acts on the focused slot; letters bind to the focused slot, Space unbinds.
  void KeyDown(uint16_t key);
  // A click on slot n (1..9) gives it the focus.
  void Click(int n) { focused_ = n; }
  // A double click acts on the focused slot.
  void DoubleClick() { Act(); }
  // The close box.
  void Close();

  bool IsOpen() const { return open_; }
  int Focused() const { return focused_; }
  Extended Value(int n) const { return values_[n - 1]; }
  uint16_t Letter(int n) const { return letters_[n - 1]; }

 private:
  void Act();

  Mode mode_;
  Engine& engine_;
  EntryLine& entry_;
  Acted acted_;
  std::array<Extended, kMemorySlots> values_{};
  std::array<uint16_t, kMemorySlots> letters_{};
  int focused_ = 1;
  bool open_ = true;
};

}  // namespace nimbrel
