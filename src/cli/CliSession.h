// nimbrel-cli's calculator: the whole core behind a Platform that writes
// every event as one line of text, and a memory window that takes the keys
// while it is open, as the modal window would.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/KeyNames.h"
#include "app/Calculator.h"
#include "app/MemoryWindow.h"
#include "app/Platform.h"

namespace nimbrel {

class CliSession : public Platform {
 public:
  CliSession();

  // One key press: the menu shortcuts first, then key-down and key-up, or,
  // while the memory window is open, the memory window's key handling.
  void Press(const KeyPress& key);

  // The event lines written since the last call, then forgotten.
  std::vector<std::string> TakeEvents();

  // The display's top `count` lines, X last; then "shift on" when it is on.
  std::vector<std::string> Display(int count) const;

  Calculator calc{*this};
  std::string clipboard;
  bool numLock = true;
  bool scrollLock = false;

  // ---- Platform
  void Beep() override;
  void BeepExclamation() override;
  void ShowMessage(const std::string& caption, const std::string& text) override;
  void ReportMathError(const std::string& text) override;
  void PaintStack() override {}
  void OpenHelp(const std::string& topic) override;
  void ShowAbout() override;
  void ShowAboutLines(int) override {}
  void HideAbout() override {}
  void PlayWave() override {}
  void ShowOptions() override;
  void ShowPopupMenu() override;
  void OnTopChanged(bool on) override;
  void SetTopmost(bool) override {}
  void ApplySize(WindowSize s) override;
  void ShowMemoryWindow(MemoryMode mode) override;
  void ShowTape(bool shown) override;
  bool KeyToggled(uint16_t key) override;
  void SendKeyPress(uint16_t key, uint8_t scanCode) override;
  void ShowError(const std::string& text) override;
  void SetClipboardText(const std::string& text) override;
  std::string GetClipboardText() override { return clipboard; }

 private:
  std::vector<std::string> events_;
  std::unique_ptr<MemoryWindow> memory_;
};

}  // namespace nimbrel
