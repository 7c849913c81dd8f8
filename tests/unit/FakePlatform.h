// Records every call the core makes on the platform, in order, as text lines
// in the same words nimbrel-cli prints them.
#pragma once

#include <string>
#include <vector>

#include "app/Platform.h"

namespace nimbrel {

class FakePlatform : public Platform {
 public:
  void Beep() override { events.push_back("beep"); }
  void BeepExclamation() override { events.push_back("beep exclamation"); }
  void ShowMessage(const std::string& caption, const std::string& text) override {
    events.push_back("message " + caption + ": " + text);
  }
  void ReportMathError(const std::string& text) override { events.push_back("matherr " + text); }

  void PaintStack() override { ++paints; }
  void OpenHelp(const std::string& topic) override { events.push_back("help " + topic); }
  void ShowAbout() override { events.push_back("about"); }
  void ShowAboutLines(int count) override { events.push_back("about lines " + std::to_string(count)); }
  void HideAbout() override { events.push_back("about ends"); }
  void PlayWave() override { ++sounds; }  // counted, not listed: every size plays it
  void ShowOptions() override { events.push_back("options"); }
  void ShowPopupMenu() override { events.push_back("menu"); }
  void OnTopChanged(bool on) override {
    onTop = on;
    events.push_back("ontop");
  }
  void SetTopmost(bool topmost) override { events.push_back(topmost ? "topmost" : "notopmost"); }
  void ApplySize(WindowSize s) override {
    size = s;
    events.push_back(std::string("size ") + (s == WindowSize::Small ? "Small" : s == WindowSize::Medium ? "Medium" : "Large"));
  }
  void ShowMemoryWindow(MemoryMode mode) override {
    events.push_back(mode == MemoryMode::Store ? "memory STORE" : "memory RECALL");
  }
  void ShowTape(bool shown) override { events.push_back(shown ? "tape open" : "tape close"); }
  bool KeyToggled(uint16_t key) override { return key == 144 ? numLock : scrollLock; }
  void SendKeyPress(uint16_t key, uint8_t scanCode) override {
    events.push_back("keypress " + std::to_string(key) + " scan " + std::to_string(scanCode));
    if (key == 144) numLock = !numLock;
    if (key == 145) scrollLock = !scrollLock;
  }
  void ShowError(const std::string& text) override { events.push_back("error " + text); }
  void SetClipboardText(const std::string& text) override {
    clipboard = text;
    events.push_back("clipboard " + text);
  }
  std::string GetClipboardText() override { return clipboard; }

  // The events so far, then forget them.
  std::vector<std::string> Take() {
    std::vector<std::string> out;
    out.swap(events);
    return out;
  }

  std::vector<std::string> events;
  int paints = 0;
  int sounds = 0;
  bool onTop = false;
  WindowSize size = WindowSize::Large;
  bool numLock = true;
  bool scrollLock = false;
  std::string clipboard;
};

}  // namespace nimbrel
