#include "app/OptionsDialog.h"

#include <cstdint>

namespace nimbrel {

int16_t DialogInteger(const std::string& text) {
  const auto refuse = [&]() -> int16_t { throw ConversionError("'" + text + "' is not a valid integer value"); };
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int radix = 10;
  if (i < text.size() && text[i] == '$') {
    radix = 16;
    ++i;
  }
  if (i == text.size()) return refuse();
  int32_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (radix == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (radix == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return refuse();
    value = value * radix + digit;
    if (value > 32768) return refuse();  // the settings are 16-bit
  }
  if (negative) value = -value;
  if (value > INT16_MAX) return refuse();
  return static_cast<int16_t>(value);
}

OptionsDraft DraftFrom(const DisplayOptions& options, const WindowSettings& launch) {
  OptionsDraft d;
  d.baseItem = options.Base == 8 ? 0 : options.Base == 10 ? 1 : 2;
  d.fixed = options.FixedOn != 0;
  d.decs = std::to_string(options.Decs);
  d.commas = options.CommasOn != 0;
  d.trail = options.TrailOn != 0;
  d.allExp = options.AllExpOn != 0;
  d.bsZ = std::to_string(options.bsZ);
  d.angles = options.Angles;
  d.notation = options.Notation;
  d.startUp = launch.StartUp != 0;
  d.hidden = launch.Hidden != 0;
  d.trayIcon = launch.TrayIcon != 0;
  d.hotKey = static_cast<uint16_t>(launch.HotKey);
  d.calcKey = launch.CalcKey != 0;
  d.tapeKept = launch.TapeKept != 0;
  d.hiddenEnabled = d.trayIcon;  // greyed, but its tick stays as stored
  ChooseNotation(d, d.notation);
  return d;
}

void ChooseNotation(OptionsDraft& d, int item) {
  d.notation = item;
  switch (item) {
    case kStandard:
      d.trail = d.allExp = false;
      d.bsZ = "1";
      break;
    case kScientific:
      d.trail = d.allExp = true;
      d.bsZ = "1";
      break;
    case kEngineering:
      d.trail = d.allExp = true;
      d.bsZ = "3";
      break;
    default:
      break;  // Custom keeps what the controls hold
  }
  d.customEnabled = item != kStandard && item != kScientific && item != kEngineering;
}

void TickTrayIcon(OptionsDraft& d, bool ticked) {
  d.trayIcon = ticked;
  d.hiddenEnabled = ticked;
  if (!ticked) d.hidden = false;  // a hidden start needs the icon to come back
}

void ApplyOptions(const OptionsDraft& d, DisplayOptions& options, EntryLine& entry, WindowSettings& launch,
                  OptionsEffects& effects) {
  const int16_t base = d.baseItem == 0 ? 8 : d.baseItem == 1 ? 10 : 16;
  if (base != options.Base) {
    options.Base = base;
    entry.ResetEntry();  // a number half typed in the old base ends here
  }
  options.FixedOn = d.fixed ? 1 : 0;
  options.Decs = DialogInteger(d.decs);
  options.CommasOn = d.commas ? 1 : 0;
  options.TrailOn = d.trail ? 1 : 0;
  options.AllExpOn = d.allExp ? 1 : 0;
  options.bsZ = DialogInteger(d.bsZ);
  options.Angles = static_cast<int16_t>(d.angles);
  options.Notation = static_cast<int16_t>(d.notation);
  if (d.startUp != (launch.StartUp != 0)) {
    // StartUp is on only while a link exists: when it can't be made the
    // option stays off, and the next OK tries again.
    bool on = false;
    if (d.startUp) {
      on = effects.CreateStartupLink();
    } else {
      effects.DeleteStartupLink();
    }
    launch.StartUp = on ? 1 : 0;
  }
  launch.Hidden = d.hidden ? 1 : 0;
  if (d.trayIcon != (launch.TrayIcon != 0)) {
    effects.ShowTrayIcon(d.trayIcon);
    launch.TrayIcon = d.trayIcon ? 1 : 0;
  }
  if (d.hotKey != launch.HotKey) {
    launch.HotKey = d.hotKey;
    effects.ChangeHotKey(d.hotKey);
  }
  if (d.calcKey != (launch.CalcKey != 0)) {
    launch.CalcKey = d.calcKey ? 1 : 0;
    effects.SetCalculatorKey(d.calcKey);
  }
  launch.TapeKept = d.tapeKept ? 1 : 0;  // the application keeps the tape accordingly
}

}  // namespace nimbrel
