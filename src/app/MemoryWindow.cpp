#include "app/MemoryWindow.h"

#include <utility>

#include "core/KeyCodes.h"

namespace nimbrel {

MemoryWindow::MemoryWindow(Mode mode, Engine& engine, EntryLine& entry, Acted acted)
    : mode_(mode), engine_(engine), entry_(entry), acted_(std::move(acted)) {
  for (int i = 0; i < kMemorySlots; ++i) {
    values_[i] = engine.Memory[i].value;
    letters_[i] = engine.Memory[i].key;
  }
}

const char* MemoryWindow::Caption() const {
  return mode_ == Mode::Store ? "Memory Slots [STORE]" : "Memory Slots [RECALL]";
}

void MemoryWindow::KeyDown(uint16_t key) {
  if (!open_) return;
  if (key == vk::Escape || key == vk::Control) {
    Close();
  } else if (key >= '1' && key <= '9') {
    focused_ = key - '0';
  } else if (key >= vk::Numpad0 + 1 && key <= vk::Numpad9) {
    focused_ = key - vk::Numpad0;
  } else if (key == vk::Return) {
    Act();
  } else if (key >= 'A' && key <= 'Z') {
    letters_[focused_ - 1] = key;  // the focused slot's letter rule
  } else if (key == vk::Space) {
    letters_[focused_ - 1] = 0;
  }
}

void MemoryWindow::Act() {
  if (!open_) return;
  // Values move bit for bit, never through text.
  if (mode_ == Mode::Store) {
    values_[focused_ - 1] = engine_.X();
    engine_.Memory[focused_ - 1].value = engine_.X();
  } else {
    engine_.Push(values_[focused_ - 1]);
  }
  entry_.ResetEntry();
  if (acted_) acted_(mode_, focused_);
  Close();
}

void MemoryWindow::Close() {
  if (!open_) return;
  // Letters set or cleared are kept however the window is left.
  for (int i = 0; i < kMemorySlots; ++i) engine_.Memory[i].key = letters_[i];
  open_ = false;
}

}  // namespace nimbrel
