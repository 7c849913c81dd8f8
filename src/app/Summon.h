// Calling the calculator from any program: a hotkey of the user's choosing,
// the keyboard's Calculator key, and a second start with "-show". What a
// press means is decided here; the window registers the key, says what it
// looks like now, and shows or hides as told.
#pragma once

#include <cstdint>
#include <string>

namespace nimbrel {

// A hotkey as the hotkey control holds it (and as "HotKey" stores it): the
// low byte the key's virtual-key code, the high byte its modifiers.
inline constexpr uint16_t kHotKeyShift = 0x100;
inline constexpr uint16_t kHotKeyControl = 0x200;
inline constexpr uint16_t kHotKeyAlt = 0x400;
inline constexpr uint16_t kHotKeyExtended = 0x800;  // an extended key (the arrows, Insert...)

// RegisterHotKey's modifier bits for the value (MOD_ALT 1, MOD_CONTROL 2,
// MOD_SHIFT 4), with MOD_NOREPEAT: a key held down calls once.
unsigned HotKeyModifiers(uint16_t hotKey);

// The names of the keys on this keyboard layout, as the hotkey control
// writes them ("Ctrl", "Shift", "Alt" in English; "Strg" in German).
struct KeyNames {
  std::string control, shift, alt, key;
};

// The value as the hotkey control shows it: "Ctrl + Alt + K".
std::string HotKeyText(uint16_t hotKey, const KeyNames& names);

// "Ctrl + Alt + K is already used by another program."
std::string HotKeyTakenMessage(const std::string& keyText);

// How the calculator stands when the hotkey is pressed.
struct WindowFacts {
  bool dialogOpen = false;  // the memory window or the options dialog
  bool foreground = false;  // the window keys go to
  bool shown = false;       // visible (not hidden in the tray)
  bool minimised = false;
};

enum class SummonAction {
  BringForward,  // shown, restored, in front with the keyboard's focus
  PutAway,       // as a close request: into the tray (or ended, without the icon)
  Minimise,      // no tray icon to go to
  RaiseDialog,   // the open dialog comes to the front; nothing hides
};

// What a press of the hotkey does; a second start with "-show" never puts
// the calculator away.
SummonAction HotKeyAction(const WindowFacts& now, bool trayIcon);
SummonAction ShowRequestAction(const WindowFacts& now);

}  // namespace nimbrel
