#include "app/Calculator.h"

#include <cmath>

#include "core/KeyCodes.h"
#include "display/ClipboardText.h"

namespace nimbrel {

void Calculator::FormKeyDown(uint16_t& key, const TypedKey& typed) {
  face.PressFaceKey(key);  // the key as it arrived
  // The main keyboard's + - * / and point, wherever the layout puts them: on
  // a US keyboard Shift+= adds, - subtracts, Shift+8 multiplies, / divides.
  key = TypedKeyCode(key, typed);
  DispatchKey(key);
}

void Calculator::FormKeyDown(uint16_t& key, bool shiftHeld) { FormKeyDown(key, TypedKey{UsKeyboard(key, shiftHeld)}); }

void Calculator::FormKeyUp(uint16_t key) { face.ReleaseFaceKey(key); }

void Calculator::ClickFaceKey(int index) {
  uint16_t code = kFaceKeys[index].sends;
  DispatchKey(code);
}

bool Calculator::MenuShortcut(uint16_t key, bool shiftHeld, bool ctrlHeld) {
  if (key == vk::Apps || (key == vk::F10 && shiftHeld)) {
    if (!aboutShown_) platform_.ShowPopupMenu();
    return true;
  }
  // Taken before the dispatcher, so a slot bound to Z or Y is still
  // recalled by the plain letter.
  if (ctrlHeld && (key == 'Z' || key == 'Y')) {
    if (key == 'Z' && !shiftHeld) Undo(); else Redo();
    return true;
  }
  if (ctrlHeld && !shiftHeld && key == 'T') {
    TapeClick();
    return true;
  }
  if (key != vk::Insert || !(shiftHeld || ctrlHeld)) return false;
  if (ctrlHeld && shiftHeld) CopyStackClick();
  else if (ctrlHeld) CutClick();
  else PasteClick();
  return true;
}

void Calculator::CutClick() { platform_.SetClipboardText(CopyText(engine.X(), display.options)); }

void Calculator::PasteClick() {
  if (stepDepth_ == 0) return AsStep([this] { PasteClick(); });
  step_.tapeName = "PASTE";
  if (!PasteInto(platform_.GetClipboardText(), engine, display.entry)) {
    platform_.Beep();
    step_.rejected = "beyond the range of numbers";
  }
  Repaint();
}

void Calculator::CopyStackClick() {
  if (stepDepth_ == 0) return AsStep([this] { CopyStackClick(); });
  platform_.SetClipboardText(StackText(engine, display.options));
  step_.tapeName = "COPY STACK";
  step_.result = false;
}

void Calculator::TapeClick() {
  window.TapeShown = window.TapeShown ? 0 : 1;
  platform_.ShowTape(window.TapeShown != 0);
}

void Calculator::TapeClosed() { window.TapeShown = 0; }

MemoryWindow Calculator::MemoryWindowFor(Platform::MemoryMode mode) {
  return MemoryWindow(mode, engine, display.entry, [this](Platform::MemoryMode m, int slot) {
    step_.tapeName = (m == Platform::MemoryMode::Store ? "STO " : "RCL ") + std::to_string(slot);
  });
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
  platform_.PlayWave();
  // A size chosen during About (the size cycle is a key, and keys still
  // work then) ends it: the face comes back, not the About picture.
  if (aboutShown_) {
    aboutShown_ = false;
    aboutTicks_ = 0;
    platform_.HideAbout();
  }
  window.Small = size == Platform::WindowSize::Small;
  window.Medium = size == Platform::WindowSize::Medium;
  window.Large = size == Platform::WindowSize::Large;
  platform_.ApplySize(size);
}

void Calculator::AboutClick() {
  aboutShown_ = true;
  platform_.ShowAbout();
}

bool Calculator::AboutTimerTimer() {
  const bool goesOn = aboutTicks_++ != 2;
  platform_.PlayWave();
  platform_.ShowAboutLines(AboutLines());
  return goesOn;
}

void Calculator::Image1Click() {
  if (!aboutShown_) return;
  aboutShown_ = false;
  platform_.HideAbout();
  // In this order, as the check marks say (only one is set).
  if (window.Small) ChooseSize(Platform::WindowSize::Small);
  if (window.Medium) ChooseSize(Platform::WindowSize::Medium);
  if (window.Large) ChooseSize(Platform::WindowSize::Large);
  aboutTicks_ = 0;
}

std::string Calculator::TrayTip() const { return "Nimbrel [" + display.FormatNumber(engine.X(), 'X') + "]"; }

OptionsDraft Calculator::OptionsDraftNow() const { return DraftFrom(display.options, window); }

void Calculator::ApplyOptionsDraft(const OptionsDraft& draft, OptionsEffects& effects) {
  try {
    ApplyOptions(draft, display.options, display.entry, window, effects);
    tape.SetKept(window.TapeKept != 0);
  } catch (const ConversionError& e) {
    AppExceptions(e.what());
  }
}

Platform::WindowSize Calculator::CheckedSize() const {
  using Size = Platform::WindowSize;
  return window.Small ? Size::Small : window.Medium ? Size::Medium : Size::Large;
}

bool Calculator::Apply(int op) {
  step_.tapeName = OperationName(op);
  const CalcOutcome outcome = engine.Calculate(op, display.options.Angles);
  if (outcome.report == CalcOutcome::Report::MathError) platform_.ReportMathError(outcome.message);
  if (outcome.report == CalcOutcome::Report::OutOfRange) platform_.ShowMessage(kCaption, outcome.message);
  if (outcome.rejected) {
    step_.none = true;  // LastX may have changed: still no step
    step_.rejected = outcome.message.empty() ? "rejected" : outcome.message;
  }
  return outcome.rejected;
}

void Calculator::Repaint() {
  platform_.PaintStack();
  bool repaired = false;
  display.FormatNumber(engine.X(), 'X', &repaired);
  if (repaired) platform_.BeepExclamation();
}

namespace {

// The keys that apply one operation, with the shift off and on (0: the key
// means something else in that state, decided by the rules after this).
struct OperationKey {
  uint16_t key;
  int off, on;
};
constexpr OperationKey kOperationKeys[] = {
    {vk::Add, opAdd, 0},           {vk::Subtract, opSubtract, 0}, {vk::Multiply, opMultiply, 0},
    {vk::Divide, opDivide, 0},     {vk::Insert, opSin, opArcSin}, {vk::Home, opCos, opArcCos},
    {vk::Prior, opTan, opArcTan},  {vk::Delete, opLn, opExp},     {vk::Up, opExchange, opLastX},
    {vk::Down, opPopOff, opRollDown}, {vk::End, 0, opPi},     {vk::Oem5, opLog, opTenPower},
    {vk::Pause, opRoot, opSquare},
};

}  // namespace

// The key map, read top down: the first rule that matches acts. A key with
// no action in the current shift state ends at the slot keys, and a key no
// slot is bound to does nothing at all.
void Calculator::DispatchKey(uint16_t& key) {
  if (stepDepth_ == 0) return AsStep([&] { DispatchKey(key); });
  if (key >= vk::Numpad0 && key <= vk::Numpad9) key = static_cast<uint16_t>(key - 48);
  const bool on = face.ShiftOn();
  KeyAction action;
  if (!on && IsEntryDigit(key, display.options.Base)) {
    TypeKey(key);
  } else if (!OperationKeys(key, on, action) && !EntryAndStackKeys(key, on, action) &&
             !WindowKeys(key, on, action) && !RecallSlots(key)) {
    action.skip = true;  // no meaning, no slot
  }
  if (!action.skip) {
    Repaint();
    if (face.ShiftOn()) face.ShowUnshifted();  // the shift lasts one action
  }
  if (action.release) face.ReleaseFaceKey(key);
}

void Calculator::TypeKey(uint16_t key) {
  step_.entryKey = true;
  // Change sign of X itself is a step with a result, as the operations are.
  if (display.entry.NegatesX(key)) step_.tapeName = OperationName(opNegate);
  if (!display.entry.EntryKey(key)) platform_.Beep();
}

void Calculator::Operation(int op, KeyAction& action) {
  if (Apply(op)) action.release = true;
  display.entry.ResetEntry();
}

// + - x / and the scientific keys: one operation each.
bool Calculator::OperationKeys(uint16_t key, bool on, KeyAction& action) {
  for (const OperationKey& k : kOperationKeys) {
    if (k.key != key) continue;
    const int op = on ? k.on : k.off;
    if (op == 0) return false;
    Operation(op, action);
    return true;
  }
  return false;
}

// Enter, backspace, change sign, the exponent and factorial, 1/x and the
// power, Store and Recall, the shift.
bool Calculator::EntryAndStackKeys(uint16_t key, bool on, KeyAction& action) {
  if (key == vk::Back || (!on && (key == vk::Next || key == vk::End))) {
    TypeKey(key);
  } else if (key == vk::Return && !on) {
    Operation(opEnter, action);
    display.entry.FreshEntry = 0;  // the next number replaces the copy Enter made
  } else if (key == vk::Next) {
    const Extended x = engine.X();
    if (x == std::floor(x) && x > 0) {
      if (Apply(opFactorial)) action.release = true;
    } else {
      platform_.Beep();
      step_.none = true;
      step_.tapeName = OperationName(opFactorial);
      step_.rejected = "a whole number above 0 only";
    }
    display.entry.ResetEntry();
  } else if (key == vk::Scroll) {
    SetScrollLock(false);  // the 1/x key must not leave the Scroll Lock light on
    Operation(on ? opPower : opInverse, action);
  } else if (key == vk::Left && !on) {
    OpenMemoryWindow(Platform::MemoryMode::Store, "Store");
  } else if (key == vk::Right && !on) {
    OpenMemoryWindow(Platform::MemoryMode::Recall, "Recall");
  } else if (key == vk::F11) {
    Operation(opRollUp, action);  // in either shift state
  } else if (key == vk::NumLock || key == vk::F12) {
    ToggleShift();
    action.skip = true;
  } else {
    return false;
  }
  return true;
}

// The shifted keys that work the window: help, About, the options, the
// size cycle, On Top.
bool Calculator::WindowKeys(uint16_t key, bool on, KeyAction& action) {
  if (!on) return false;
  if (key == '0') {
    platform_.OpenHelp("Contents");
    face.ReleaseNamed("Zero");
  } else if (key == vk::Return) {
    AboutClick();
  } else if (key == vk::Add) {
    OptionsClick();
    action.release = true;
  } else if (key == vk::Subtract) {
    StepWindowSize();
  } else if (key == vk::Divide) {
    OnTopClick();
  } else {
    return false;
  }
  return true;
}

bool Calculator::RecallSlots(uint16_t key) {
  bool any = false;
  for (const MemorySlot& slot : engine.Memory) {
    if (slot.key != key) continue;
    engine.Push(slot.value);
    display.entry.ResetEntry();
    any = true;
  }
  if (any) step_.tapeName = std::string("RCL ") + static_cast<char>(key);
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

SummonAction Calculator::HotKeyPressed(const WindowFacts& now) {
  const SummonAction action = HotKeyAction(now, window.TrayIcon != 0);
  if (action == SummonAction::BringForward) ShowRequested(now);
  return action;
}

SummonAction Calculator::ShowRequested(const WindowFacts& now) {
  const SummonAction action = ShowRequestAction(now);
  if (action == SummonAction::BringForward && display.entry.InProgress()) {
    display.entry.ResetEntry();
    platform_.PaintStack();
  }
  return action;
}

void Calculator::OptionsClick() {
  step_.none = true;  // the options are no part of a state; a base change ends the entry
  const std::string before = OptionsText(display.options);
  OutOfTopmostBand([&] { platform_.ShowOptions(); });
  // The numbers after it read differently: the tape says how.
  if (const std::string now = OptionsText(display.options); now != before) tape.Add(TapeLine("", "OPTIONS", now));
  platform_.PaintStack();
}

void Calculator::AsStep(const std::function<void()>& action) {
  if (stepDepth_ > 0) return action();
  const CalcState before = Now();
  const bool wasTyping = display.entry.InProgress();
  const std::string typed = TypedNow();
  step_ = {};
  ++stepDepth_;
  try {
    action();
  } catch (const std::exception& fault) {
    --stepDepth_;  // a fault is no step; the handler ends the entry
    entryStepOpen_ = false;
    TapeStep(typed, fault.what());
    throw;
  }
  --stepDepth_;
  TapeStep(typed);
  EndStep(before, wasTyping);
}

std::string Calculator::TypedNow() const {
  return display.entry.InProgress() ? CopyTextFromLine(display.entry.EntryText()) : std::string();
}

void Calculator::TapeStep(const std::string& typed, const std::string& fault) {
  if (step_.tapeName.empty()) return;
  // The number typed belongs to the step that ended it (a fault's handler
  // ends it next).
  const std::string number = display.entry.InProgress() && fault.empty() ? std::string() : typed;
  const std::string outcome = !fault.empty()           ? fault
                              : !step_.rejected.empty() ? step_.rejected
                              : step_.result            ? CopyText(engine.X(), display.options)
                                                        : std::string();
  tape.Add(TapeLine(number, step_.tapeName, outcome));
}

void Calculator::EndStep(const CalcState& before, bool wasTyping) {
  if (step_.none || Now().SameAs(before)) {
    entryStepOpen_ = entryStepOpen_ && display.entry.InProgress();
    return;
  }
  // The digits, point, sign, exponent and backspace of one number make one
  // step, begun by its first key.
  if (step_.entryKey && wasTyping && entryStepOpen_) {
    history_.DropRedo();
  } else {
    history_.Record(before);
  }
  entryStepOpen_ = step_.entryKey && display.entry.InProgress();
}

void Calculator::Undo() { GoTo(history_.Undo(Now()), "UNDO"); }
void Calculator::Redo() { GoTo(history_.Redo(Now()), "REDO"); }

void Calculator::GoTo(const std::optional<CalcState>& state, const char* name) {
  if (!state) {
    platform_.Beep();
    return;
  }
  const std::string typed = TypedNow();
  state->RestoreTo(engine, display.entry, display.options.Base);
  step_ = {};
  step_.tapeName = name;
  TapeStep(typed);
  // A number brought back half typed can be typed on, within its own step.
  entryStepOpen_ = display.entry.InProgress();
  Repaint();
  if (face.ShiftOn()) face.ShowUnshifted();
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
