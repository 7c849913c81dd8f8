#include "cli/CliSession.h"

#include "core/KeyCodes.h"

namespace nimbrel {

CliSession::CliSession() = default;

void CliSession::Press(const KeyPress& key) {
  if (memory_) {
    // The window's whole visit is one step: its keys change the calculator
    // only as it closes.
    calc.AsStep([&] { memory_->KeyDown(key.code); });
    if (!memory_->IsOpen()) {
      memory_.reset();
      events_.push_back("memory close");
    }
    return;
  }
  // A named operation on a shifted key brings the face's shift where it
  // needs it first, with the shift key.
  if (key.faceShift != KeyPress::FaceShift::Any && calc.face.ShiftOn() != (key.faceShift == KeyPress::FaceShift::On)) {
    Press(KeyPress{vk::F12});
  }
  // The lock keys flip the keyboard's own toggle as they go down.
  if (key.code == vk::NumLock) numLock = !numLock;
  if (key.code == vk::Scroll) scrollLock = !scrollLock;
  calc.Guarded([&] {
    if (calc.MenuShortcut(key.code, key.shift, key.ctrl)) return;
    uint16_t code = key.code;
    calc.FormKeyDown(code, key.shift);
  });
  calc.FormKeyUp(key.code);
}

std::vector<std::string> CliSession::TakeEvents() {
  std::vector<std::string> out;
  out.swap(events_);
  return out;
}

std::vector<std::string> CliSession::Display(int count) const {
  std::vector<std::string> lines = calc.display.Lines(count);
  if (calc.face.ShiftOn()) lines.push_back("shift on");
  return lines;
}

void CliSession::Beep() { events_.push_back("beep"); }
void CliSession::BeepExclamation() { events_.push_back("beep exclamation"); }
void CliSession::ShowMessage(const std::string& caption, const std::string& text) {
  events_.push_back("message " + caption + ": " + text);
}
// The calculator's math-error boxes are captioned with its program file name.
void CliSession::ReportMathError(const std::string& text) { ShowMessage("Nimbrel.exe", text); }
void CliSession::OpenHelp(const std::string& topic) { events_.push_back("help " + topic); }
void CliSession::ShowAbout() { events_.push_back("about"); }
void CliSession::ShowOptions() { events_.push_back("options"); }
void CliSession::ShowPopupMenu() { events_.push_back("menu"); }
void CliSession::OnTopChanged(bool) { events_.push_back("ontop"); }
void CliSession::ApplySize(WindowSize s) {
  events_.push_back(s == WindowSize::Small ? "size Small" : s == WindowSize::Medium ? "size Medium" : "size Large");
}
void CliSession::ShowMemoryWindow(MemoryMode mode) {
  events_.push_back(mode == MemoryMode::Store ? "memory STORE" : "memory RECALL");
  memory_ = std::make_unique<MemoryWindow>(calc.MemoryWindowFor(mode));
}
void CliSession::ShowTape(bool shown) { events_.push_back(shown ? "tape open" : "tape close"); }
bool CliSession::KeyToggled(uint16_t key) { return key == vk::NumLock ? numLock : key == vk::Scroll ? scrollLock : false; }
void CliSession::SendKeyPress(uint16_t key, uint8_t) {
  if (key == vk::NumLock) numLock = !numLock;
  if (key == vk::Scroll) scrollLock = !scrollLock;
}
void CliSession::ShowError(const std::string& text) { events_.push_back("error " + text); }
void CliSession::SetClipboardText(const std::string& text) {
  clipboard = text;
  events_.push_back("clipboard " + text);
}

}  // namespace nimbrel
