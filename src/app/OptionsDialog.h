// The options dialog without its window: the draft its controls hold, the
// rules that tie the controls together, and what OK does, step by step.
// The Win32 dialog shows the draft and hands it back on OK.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "display/DisplayOptions.h"
#include "display/EntryLine.h"
#include "settings/Settings.h"

namespace nimbrel {

// Text in a number field that is not an integer (or doesn't fit the 16-bit
// setting): "'2.5' is not a valid integer value".
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A field's text as an integer: optional blanks in front, an optional sign,
// then decimal digits, or '$' and hexadecimal digits; nothing after.
int16_t DialogInteger(const std::string& text);

enum NotationItem : int { kStandard = 0, kScientific = 1, kEngineering = 2, kCustom = 3 };

struct OptionsDraft {
  int baseItem = 1;  // 0 octal, 1 decimal, 2 hexadecimal
  bool fixed = true;
  std::string decs = "4";
  bool commas = true;
  bool trail = true;
  bool allExp = false;
  std::string bsZ = "1";
  int angles = 1;    // 0 degrees, 1 radians, 2 gradients
  int notation = kCustom;
  bool startUp = false;
  bool hidden = false;
  bool trayIcon = true;
  uint16_t hotKey = 0;   // as the hotkey control holds it; 0 none
  bool calcKey = false;  // "Calculator key opens Nimbrel"
  bool tapeKept = true;  // "Keep the tape"
  // Which controls take input: "Launch Hidden" needs the tray icon, and
  // only Custom notation leaves trailing zeroes, exponent and step free.
  bool hiddenEnabled = true;
  bool customEnabled = true;
};

// The controls as the dialog opens on these settings (the notation rule
// applied once).
OptionsDraft DraftFrom(const DisplayOptions& options, const WindowSettings& launch);

// A click in the notation group: the preset and lock of its row.
void ChooseNotation(OptionsDraft& draft, int item);

// A click on "System Tray Icon".
void TickTrayIcon(OptionsDraft& draft, bool ticked);

// What OK does outside the settings held in memory.
class OptionsEffects {
 public:
  virtual ~OptionsEffects() = default;
  // The link "Quarvel Calculator.lnk" to this program in the Startup folder;
  // true when it was written (a failure has been shown to the user).
  virtual bool CreateStartupLink() = 0;
  virtual void DeleteStartupLink() = 0;
  virtual void ShowTrayIcon(bool shown) = 0;
  // The hotkey changed (0: none): registered for the window instead of the
  // last; when another program holds it, the user is told, and the choice is
  // kept all the same (the next start tries again).
  virtual void ChangeHotKey(uint16_t hotKey) = 0;
  // The keyboard's Calculator key opens this program (true), or no longer
  // does where it still names this program (false).
  virtual void SetCalculatorKey(bool on) = 0;
};

// OK: each step takes effect before the next. A number field that isn't an
// integer throws ConversionError at its step; the steps before it stay
// applied, and the link and the tray icon are not touched.
void ApplyOptions(const OptionsDraft& draft, DisplayOptions& options, EntryLine& entry, WindowSettings& launch,
                  OptionsEffects& effects);

}  // namespace nimbrel
