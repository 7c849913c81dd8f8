#include "app/Calculator.h"

#include <cmath>

#include "core/KeyCodes.h"
#include "display/ClipboardText.h"

namespace nimbrel {

void Calculator::FormKeyDown(uint16_t& key, bool shiftHeld) {
  face.PressFaceKey(key);
  // The main keyboard's arithmetic keys, each test on the code the one
  // before left: Shift+= adds, - subtracts, Shift+8 multiplies, / divides.
  if (key == vk::OemPlus && shiftHeld) key = vk::Add;
  if (key == vk::OemMinus && !shiftHeld) key = vk::Subtract;
  if (key == '8' && shiftHeld) key = vk::Multiply;
  if (key == vk::Oem2 && !shiftHeld) key = vk::Divide;
  DispatchKey(key);
}

void Calculator::FormKeyUp(uint16_t key) { face.ReleaseFaceKey(key); }

void Calculator::ClickFaceKey(int index) {
  uint16_t code = kFaceKeys[index].sends;
  DispatchKey(code);
}

bool Calculator::MenuShortcut(uint16_t key, bool shiftHeld, bool ctrlHeld) {
  if (key != vk::Insert || shiftHeld == ctrlHeld) return false;
  if (ctrlHeld) CutClick(); else PasteClick();
  return true;
}

void Calculator::CutClick() { platform_.SetClipboardText(CopyText(engine.X(), display.options)); }

void Calculator::PasteClick() {
  if (!PasteInto(platform_.GetClipboardText(), engine, display.entry)) platform_.Beep();
  Repaint();
}

void Calculator::Load(Registry& registry) {
  LoadSettings(registry, engine, display.options, window);
  if (!window.Small && !window.Medium) window.Large = true;  // with none checked, Large
}

void Calculator::Save(Registry& registry, bool sessionEnding) {
  if (sessionEnding) {
    SaveSettingsAtSessionEnd(registry, engine, display.options, window);
  } else {
    SaveSettings(registry, engine, display.options, window);
  }
}

void Calculator::OnTopClick() {
  window.OnTop = !window.OnTop;
  platform_.OnTopChanged(window.OnTop);
}

void Calculator::ChooseSize(Platform::WindowSize size) {
  window.Small = size == Platform::WindowSize::Small;
  window.Medium = size == Platform::WindowSize::Medium;
  window.Large = size == Platform::WindowSize::Large;
  platform_.ApplySize(size);
}

Platform::WindowSize Calculator::CheckedSize() const {
  using Size = Platform::WindowSize;
  return window.Small ? Size::Small : window.Medium ? Size::Medium : Size::Large;
}

bool Calculator::Apply(int op) {
  const CalcOutcome outcome = engine.Calculate(op, display.options.Angles);
  if (outcome.report == CalcOutcome::Report::MathError) platform_.ReportMathError(outcome.message);
  if (outcome.report == CalcOutcome::Report::OutOfRange) platform_.ShowMessage(kCaption, outcome.message);
  return outcome.rejected;
}

void Calculator::Repaint() {
  platform_.PaintStack();
  bool repaired = false;
  display.FormatNumber(engine.X(), 'X', &repaired);
  if (repaired) platform_.BeepExclamation();
}

void Calculator::DispatchKey(uint16_t& key) {
  if (key >= vk::Numpad0 && key <= vk::Numpad9) key = static_cast<uint16_t>(key - 48);

  bool release = false;  // draw the key released at the end
  bool skip = false;     // leave out the tail
  const bool on = face.ShiftOn();
  EntryLine& entry = display.entry;
  auto calc = [&](int op) {
    if (Apply(op)) release = true;
    entry.ResetEntry();
  };
  auto type = [&] {
    if (!entry.EntryKey(key)) platform_.Beep();
  };

  // The key map: the first rule that matches, in this order. A key with no
  // action in the current shift state ends at the slot keys.
  if (!on && IsEntryDigit(key, display.options.Base)) {
    type();
  } else if (key == '0' && on) {
    platform_.OpenHelp("Contents");
    face.ReleaseNamed("Zero");
  } else if (key == vk::Back) {
    type();
  } else if (key == vk::Return && !on) {
    calc(opEnter);
    entry.FreshEntry = 0;  // the next number replaces the copy Enter made
  } else if (key == vk::Return) {
    platform_.ShowAbout();
  } else if (key == vk::Add && !on) {
    calc(opAdd);
  } else if (key == vk::Add) {
    OptionsClick();
    release = true;
  } else if (key == vk::Subtract && !on) {
    calc(opSubtract);
  } else if (key == vk::Subtract) {
    StepWindowSize();
  } else if (key == vk::Multiply && !on) {
    calc(opMultiply);
  } else if (key == vk::Divide && !on) {
    calc(opDivide);
  } else if (key == vk::Divide) {
    OnTopClick();
  } else if (key == vk::Insert) {
    calc(on ? opArcSin : opSin);
  } else if (key == vk::Home) {
    calc(on ? opArcCos : opCos);
  } else if (key == vk::Prior) {
    calc(on ? opArcTan : opTan);
  } else if (key == vk::Next && !on) {
    type();
  } else if (key == vk::Next) {
    const Extended x = engine.X();
    if (x == std::floor(x) && x > 0) {
      if (Apply(opFactorial)) release = true;
    } else {
      platform_.Beep();
    }
    entry.ResetEntry();
  } else if (key == vk::Delete) {
    calc(on ? opExp : opLn);
  } else if (key == vk::Up) {
    calc(on ? opLastX : opExchange);
  } else if (key == vk::Down && !on) {
    calc(opPopOff);
  } else if (key == vk::Left && !on) {
    OpenMemoryWindow(Platform::MemoryMode::Store, "Store");
  } else if (key == vk::Right && !on) {
    OpenMemoryWindow(Platform::MemoryMode::Recall, "Recall");
  } else if (key == vk::End && !on) {
    type();
  } else if (key == vk::End) {
    calc(opPi);
  } else if (key == vk::Oem5) {
    calc(on ? opTenPower : opLog);
  } else if (key == vk::Scroll) {
    SetScrollLock(false);  // the 1/x key must not leave the Scroll Lock light on
    calc(on ? opPower : opInverse);
  } else if (key == vk::Pause) {
    calc(on ? opSquare : opRoot);
  } else if (key == vk::NumLock || key == vk::F12) {
    ToggleShift();
    skip = true;
  } else if (!RecallSlots(key)) {
    skip = true;  // no meaning, no slot: nothing at all happens
  }

  if (!skip) {
    Repaint();
    if (face.ShiftOn()) face.ShowUnshifted();  // the shift lasts one action
  }
  if (release) face.ReleaseFaceKey(key);
}

bool Calculator::RecallSlots(uint16_t key) {
  bool any = false;
  for (const MemorySlot& slot : engine.Memory) {
    if (slot.key != key) continue;
    engine.Push(slot.value);
    display.entry.ResetEntry();
    any = true;
  }
  return any;
}

void Calculator::ToggleShift() {
  // Pressing Num Lock flipped the keyboard's state; forcing it back on keeps
  // the keypad sending digits.
  SetNumLock(true);
  if (face.ShiftOn()) face.ShowUnshifted(); else face.ShowShifted();
}

void Calculator::StepWindowSize() {
  using Size = Platform::WindowSize;
  if (window.Small) ChooseSize(Size::Large);
  else if (window.Medium) ChooseSize(Size::Small);
  else if (window.Large) ChooseSize(Size::Medium);
}

void Calculator::OutOfTopmostBand(const std::function<void()>& showModal) {
  const bool onTop = window.OnTop;
  if (onTop) platform_.SetTopmost(false);
  showModal();
  if (onTop) platform_.SetTopmost(true);
}

void Calculator::OpenMemoryWindow(Platform::MemoryMode mode, std::string_view faceKey) {
  OutOfTopmostBand([&] {
    platform_.ShowMemoryWindow(mode);
    face.ReleaseNamed(faceKey);
  });
  platform_.PaintStack();
}

void Calculator::OptionsClick() {
  OutOfTopmostBand([&] { platform_.ShowOptions(); });
  platform_.PaintStack();
}

void Calculator::AppExceptions(const std::string& message) {
  display.entry.ResetEntry();
  platform_.PaintStack();
  if (face.ShiftOn()) face.ShowUnshifted();
  platform_.ShowError(message);
}

void Calculator::SetNumLock(bool on) {
  if (platform_.KeyToggled(vk::NumLock) != on) platform_.SendKeyPress(vk::NumLock, 0);
}

void Calculator::SetScrollLock(bool on) {
  if (platform_.KeyToggled(vk::Scroll) != on) platform_.SendKeyPress(vk::Scroll, 0x46);
}

}  // namespace nimbrel
