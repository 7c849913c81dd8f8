#include "app/Summon.h"

namespace nimbrel {

unsigned HotKeyModifiers(uint16_t hotKey) {
  constexpr unsigned kAlt = 1, kControl = 2, kShift = 4, kNoRepeat = 0x4000;
  return (hotKey & kHotKeyAlt ? kAlt : 0) | (hotKey & kHotKeyControl ? kControl : 0) |
         (hotKey & kHotKeyShift ? kShift : 0) | kNoRepeat;
}

std::string HotKeyText(uint16_t hotKey, const KeyNames& names) {
  std::string text;
  if (hotKey & kHotKeyControl) text += names.control + " + ";
  if (hotKey & kHotKeyShift) text += names.shift + " + ";
  if (hotKey & kHotKeyAlt) text += names.alt + " + ";
  return text + names.key;
}

std::string HotKeyTakenMessage(const std::string& keyText) {
  return keyText + " is already used by another program.";
}

SummonAction HotKeyAction(const WindowFacts& now, bool trayIcon) {
  if (now.dialogOpen) return SummonAction::RaiseDialog;
  if (now.foreground && now.shown && !now.minimised) {
    return trayIcon ? SummonAction::PutAway : SummonAction::Minimise;
  }
  return SummonAction::BringForward;
}

SummonAction ShowRequestAction(const WindowFacts& now) {
  return now.dialogOpen ? SummonAction::RaiseDialog : SummonAction::BringForward;
}

}  // namespace nimbrel
