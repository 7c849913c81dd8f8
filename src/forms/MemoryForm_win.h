// The memory slots window (class TfrmMemory): nine slot bars (AMemorySlot),
// each a focusable child window showing its slot's number, value and
// letter, over the portable MemoryWindow that decides what keys, clicks and
// double clicks do. Shown modally over the main window.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "app/MemoryWindow.h"
#include "core/Scale.h"
#include "display/StackWindow.h"
#include "win/Gdi.h"
#include "win/Window_win.h"

namespace nimbrel {

inline constexpr const char* kMemoryFormClass = "TfrmMemory";
inline constexpr const char* kMemorySlotClass = "AMemorySlot";

class MemoryForm;

// One slot bar: the stone face (cyan while it has the focus) with the
// value and the letter in white over a black shadow.
class AMemorySlot : public win::Window {
 public:
  AMemorySlot(MemoryForm& form, int slotId) : form_(form), slotId_(slotId) {}
  void Create(HINSTANCE instance, HWND parent, RECT bounds);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnException(const char* what) override;
  void Paint(HDC dc) const;

  MemoryForm& form_;
  int slotId_;
};

class MemoryForm : public win::Window {
 public:
  // Drawn at `scale`, its owner's; the slot art (two faces side by side,
  // unfocused and focused) is loaded for it.
  MemoryForm(HINSTANCE instance, MemoryWindow& logic, const StackWindow& display, Scale scale);
  ~MemoryForm() override;

  // Shows the window over `owner` and returns when it has closed.
  void RunModal(HWND owner);

 private:
  friend class AMemorySlot;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnException(const char* what) override;
  // A key seen first by the form, whichever slot has the focus.
  void Key(uint16_t key);
  void SlotClicked(int slotId);
  void SlotDoubleClicked();
  // Window focus and every slot's picture follow the logic's state.
  void Follow();

  HINSTANCE instance_;
  MemoryWindow& logic_;
  const StackWindow& display_;
  Scale scale_;
  win::Bitmap glyph_;
  win::Font font_;
  std::array<std::unique_ptr<AMemorySlot>, kMemorySlots> slots_;
};

}  // namespace nimbrel
