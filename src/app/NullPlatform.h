// A platform that does nothing: a base for front ends and tools that care
// about only a few of the calls (the fingerprint, the benchmarks).
#pragma once

#include "app/Platform.h"

namespace nimbrel {

class NullPlatform : public Platform {
 public:
  void Beep() override {}
  void BeepExclamation() override {}
  void ShowMessage(const std::string&, const std::string&) override {}
  void ReportMathError(const std::string&) override {}
  void PaintStack() override {}
  void OpenHelp(const std::string&) override {}
  void ShowAbout() override {}
  void ShowAboutLines(int) override {}
  void HideAbout() override {}
  void PlayWave() override {}
  void ShowOptions() override {}
  void ShowPopupMenu() override {}
  void OnTopChanged(bool) override {}
  void SetTopmost(bool) override {}
  void ApplySize(WindowSize) override {}
  void ShowMemoryWindow(MemoryMode) override {}
  void ShowTape(bool) override {}
  bool KeyToggled(uint16_t) override { return false; }
  void SendKeyPress(uint16_t, uint8_t) override {}
  void ShowError(const std::string&) override {}
  void SetClipboardText(const std::string&) override {}
  std::string GetClipboardText() override { return ""; }
};

}  // namespace nimbrel
