// The calculator as the window drives it, with the world outside it made of
// the fuzzer's bytes: key presses, clicks, the clipboard's text, and what
// the user does in the memory window and the options dialog while one of
// them is open (the same logic the Win32 forms run).
#pragma once

#include <cstdint>
#include <string>

#include "FuzzCommon.h"
#include "app/Calculator.h"
#include "app/MemoryWindow.h"
#include "app/OptionsDialog.h"
#include "core/KeyCodes.h"

namespace nimbrel::fuzz {

class FuzzPlatform : public Platform, public OptionsEffects {
 public:
  explicit FuzzPlatform(Bytes& bytes) : bytes_(bytes) {}

  Calculator calc{*this};
  std::string clipboard;
  bool numLock = true;
  bool scrollLock = false;
  int beeps = 0;

  // ---- Platform
  void Beep() override { ++beeps; }
  void BeepExclamation() override {}
  void ShowMessage(const std::string&, const std::string&) override {}
  void ReportMathError(const std::string&) override {}
  void PaintStack() override { CheckNumbers(calc.engine); }
  void OpenHelp(const std::string&) override {}
  void ShowAbout() override {}
  void ShowAboutLines(int) override {}
  void HideAbout() override {}
  void PlayWave() override {}
  void ShowOptions() override;
  void OnTopChanged(bool) override {}
  void SetTopmost(bool) override {}
  void ApplySize(WindowSize) override {}
  void ShowMemoryWindow(MemoryMode mode) override;
  void ShowTape(bool) override {}
  void ShowPopupMenu() override {}
  bool KeyToggled(uint16_t key) override { return key == vk::NumLock ? numLock : key == vk::Scroll && scrollLock; }
  void SendKeyPress(uint16_t key, uint8_t) override {
    if (key == vk::NumLock) numLock = !numLock;
    if (key == vk::Scroll) scrollLock = !scrollLock;
  }
  void ShowError(const std::string&) override {}
  void SetClipboardText(const std::string& text) override { clipboard = text; }
  std::string GetClipboardText() override { return clipboard; }

  // ---- OptionsEffects
  // Whether the link could be made comes from the bytes too.
  bool CreateStartupLink() override { return bytes_.Byte() % 4 != 0; }
  void DeleteStartupLink() override {}
  void ShowTrayIcon(bool) override {}
  void ChangeHotKey(uint16_t) override {}
  void SetCalculatorKey(bool) override {}

 private:
  Bytes& bytes_;
};

// The memory window, open: keys, clicks and double clicks until it closes
// (or the bytes run out, when the close box ends it).
inline void FuzzPlatform::ShowMemoryWindow(MemoryMode mode) {
  MemoryWindow window = calc.MemoryWindowFor(mode);
  static const uint16_t kKeys[] = {vk::Escape, vk::Control, vk::Return, vk::Space, '1', '5', '9',
                                   vk::Numpad0 + 1, vk::Numpad0 + 9, vk::Numpad0, 'A', 'K', 'Z', '0'};
  for (int n = 0; window.IsOpen() && !bytes_.Empty() && n < 64; ++n) {
    const uint8_t b = bytes_.Byte();
    switch (b % 4) {
      case 0: window.KeyDown(kKeys[(b / 4) % (sizeof kKeys / sizeof kKeys[0])]); break;
      case 1: window.KeyDown(static_cast<uint16_t>(bytes_.Byte())); break;
      case 2: window.Click(1 + (b / 4) % kMemorySlots); break;
      default: window.DoubleClick(); break;
    }
  }
  window.Close();
}

// The options dialog, open: its controls changed from the bytes, then OK
// (the draft applied, a bad number field going to AppExceptions) or Cancel.
inline void FuzzPlatform::ShowOptions() {
  OptionsDraft draft = calc.OptionsDraftNow();
  static const char* const kNumbers[] = {"0", "1", "2", "3", "4", "9", "10", "13", "100", "32767", "-1",
                                         "-32768", "$7FFF", "2.5", "", " 12", "40000"};
  const int changes = bytes_.Below(8);
  for (int n = 0; n < changes; ++n) {
    const uint8_t b = bytes_.Byte();
    const int which = bytes_.Byte();
    switch (b % 12) {
      case 0: draft.baseItem = which % 3; break;
      case 1: draft.fixed = which & 1; break;
      case 2: draft.decs = which < 238 ? kNumbers[which % 17] : bytes_.Text(8); break;
      case 3: draft.commas = which & 1; break;
      case 4: if (draft.customEnabled) draft.trail = which & 1; break;
      case 5: if (draft.customEnabled) draft.allExp = which & 1; break;
      case 6: if (draft.customEnabled) draft.bsZ = which < 238 ? kNumbers[which % 17] : bytes_.Text(8); break;
      case 7: draft.angles = which % 3; break;
      case 8: ChooseNotation(draft, which % 4); break;
      case 9: draft.startUp = which & 1; break;
      case 10: if (draft.hiddenEnabled) draft.hidden = which & 1; break;
      default: TickTrayIcon(draft, which & 1); break;
    }
  }
  if (bytes_.Byte() % 4 != 0) calc.ApplyOptionsDraft(draft, *this);
}

}  // namespace nimbrel::fuzz
