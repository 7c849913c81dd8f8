// The application: the calculator without its window. It owns the engine,
// the display's model (options and entry line), the face's state and the
// window's settings (place, On Top, size, launch flags), loads and saves
// them, and holds the one dispatcher that every key press and every click on
// a face key goes through.
//
// The Win32 main window and nimbrel-cli both drive this class: they forward
// what they receive and draw what it holds; what it needs done outside it
// asks of the Platform, the only layer that does.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "core/Engine.h"
#include "core/TypedKeys.h"
#include "app/Caption.h"
#include "app/FaceKeys.h"
#include "app/History.h"
#include "app/MemoryWindow.h"
#include "app/OptionsDialog.h"
#include "app/Platform.h"
#include "app/Summon.h"
#include "app/Tape.h"
#include "display/StackWindow.h"
#include "settings/Registry.h"
#include "settings/Settings.h"

namespace nimbrel {


class Calculator {
 public:
  explicit Calculator(Platform& platform) : display(engine), platform_(platform) {}

  // The settings key into the homes (stack, memory, display options, the
  // window's settings); with no size checked, Large is. Throws RegistryError
  // for a damaged value.
  void Load(Registry& registry);
  // Every value back; the stack is popped. At the session's end a value that
  // can't be written is passed over and nothing is thrown.
  void Save(Registry& registry, bool sessionEnding = false);

  // The On Top command (the menu item and shift + divide).
  void OnTopClick();
  // A size command (the menu's items, the size cycle): checks it and has
  // the window laid out.
  void ChooseSize(Platform::WindowSize size);
  // The size whose item is checked.
  Platform::WindowSize CheckedSize() const;

  // ---- the About screen, from AboutClick until a click on it.
  // AboutClick: the menu item and shift + Enter. The tick counter is not
  // reset: started again when complete, About goes on sounding every
  // second and shows no new line until it is clicked.
  void AboutClick();
  // One second of About: the next of its three lines, with the sound. False
  // when the timer is to stop (the third line came).
  bool AboutTimerTimer();
  // Image1Click: a click on the About picture or one of its lines ends About
  // and brings the checked size back.
  void Image1Click();
  bool AboutShown() const { return aboutShown_; }
  int AboutLines() const { return aboutTicks_ < 3 ? aboutTicks_ : 3; }

  // The memory window's logic, over this calculator's slots and entry line.
  // What it stores or recalls goes on the tape as the step's operation.
  MemoryWindow MemoryWindowFor(Platform::MemoryMode mode);
  // The tray icon's tip: "Nimbrel [X: 5.0000]".
  std::string TrayTip() const;
  // The options dialog's draft from the current settings, and OK's steps for
  // the draft it returned (a conversion error goes to AppExceptions; the
  // steps before the bad field stay applied).
  OptionsDraft OptionsDraftNow() const;
  void ApplyOptionsDraft(const OptionsDraft& draft, OptionsEffects& effects);

  // The main window's key-down handler (after the menu shortcuts had their
  // turn): draws the face key of the raw code pressed, turns a main-keyboard
  // key that types + - * / or the decimal point on the active layout into
  // the keypad's key (TypedKeyCode), then dispatches. May throw
  // FloatingPointFault (see Guarded).
  void FormKeyDown(uint16_t& key, const TypedKey& typed);
  // The same as typed on a US keyboard, `shiftHeld` the Shift modifier at
  // key-down (nimbrel-cli's keyboard).
  void FormKeyDown(uint16_t& key, bool shiftHeld);
  // The main window's key-up handler: draws the key released.
  void FormKeyUp(uint16_t key);
  // A completed click on face key `index` of kFaceKeys.
  void ClickFaceKey(int index);

  // The popup menu's shortcuts, offered every key-down before the handler:
  // Ctrl+Insert copies, Shift+Insert pastes, Ctrl+Shift+Insert copies the
  // stack, Ctrl+Z undoes, Ctrl+Y and Ctrl+Shift+Z redo, Ctrl+T opens or
  // closes the tape; Shift+F10 and the menu key open the menu itself (not
  // during About, as a right click). True when the key was taken.
  bool MenuShortcut(uint16_t key, bool shiftHeld, bool ctrlHeld);
  void CutClick();        // Copy: X as text onto the clipboard
  void PasteClick();      // Paste: the clipboard's number, or column of numbers, onto the stack
  void CopyStackClick();  // Copy Stack: the ten levels as lines, X last
  // The Tape command: the tape window opened or closed; and its close box.
  void TapeClick();
  void TapeClosed();

  // ---- undo and redo (History.h says what a state holds)
  // Back to the state before the last step, or forward again to the state
  // the last undo left; then the display is repainted and the shift goes
  // off. With no step to go to, the default beep.
  void Undo();
  void Redo();
  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }
  // Runs one user action as one possible step: it is kept only when it
  // changed the state and was neither rejected nor faulted. A number being
  // typed is one step, whatever keys typed it. Every key, face-key click
  // and paste is run this way (with the memory window's visit, which is
  // modal, inside its key); nimbrel-cli runs its memory window's keys so.
  void AsStep(const std::function<void()>& action);

  // Turns one key code into its action. A keypad digit is rewritten in the
  // caller's variable to the plain digit. A floating-point fault of the
  // engine leaves at once, as a FloatingPointFault.
  void DispatchKey(uint16_t& key);

  // The application's exception handler: ends the entry, repaints, clears
  // the shift and shows the fault's message.
  void AppExceptions(const std::string& message);

  // Runs one event handler, sending whatever it throws to AppExceptions: the
  // one place where a floating-point fault (or any other failure of a
  // handler) is caught, so that every one ends the entry, repaints and
  // clears the shift before its message shows.
  template <class Handler>
  void Guarded(Handler&& handler) {
    try {
      handler();
    } catch (const std::exception& failure) {
      AppExceptions(failure.what());
    }
  }

  // The Options command (the menu item and the shifted + key): the dialog
  // with the main window out of the topmost band, then the display repainted
  // under whatever options it left.
  void OptionsClick();

  // The hotkey was pressed, or a second start asked with "-show": what the
  // window does now. Brought forward, the number being typed ends there (it
  // stays in X), so that the next digit starts a new one.
  SummonAction HotKeyPressed(const WindowFacts& now);
  SummonAction ShowRequested(const WindowFacts& now);

  // Bring the keyboard's Num Lock / Scroll Lock toggle to the wanted state.
  void SetNumLock(bool on);
  void SetScrollLock(bool on);

  Engine engine;
  StackWindow display;
  FaceState face;
  WindowSettings window;
  Tape tape;

 private:
  // What a key's rule leaves for the dispatcher's tail.
  struct KeyAction {
    bool release = false;  // draw the key released at the end
    bool skip = false;     // no repaint, the shift stays
  };
  void TypeKey(uint16_t key);
  void Operation(int op, KeyAction& action);
  bool OperationKeys(uint16_t key, bool on, KeyAction& action);
  bool EntryAndStackKeys(uint16_t key, bool on, KeyAction& action);
  bool WindowKeys(uint16_t key, bool on, KeyAction& action);
  // One operation through the engine; what it was rejected for is shown.
  // True when it was rejected.
  bool Apply(int op);
  // After an action: the display repainted, with the exclamation beep when
  // X's line needed a rounding carry repaired.
  void Repaint();
  void ToggleShift();
  void StepWindowSize();
  void OpenMemoryWindow(Platform::MemoryMode mode, std::string_view faceKey);
  // Runs a modal window of the platform's; a topmost main window would cover
  // it, so it leaves the topmost band meanwhile.
  void OutOfTopmostBand(const std::function<void()>& showModal);
  // Recalls every slot bound to `key`, in slot order; false if none is.
  bool RecallSlots(uint16_t key);

  CalcState Now() const { return CalcState::Of(engine, display.entry, display.options.Base); }
  // After a step's action: recorded, joined to the number being typed, or
  // none.
  void EndStep(const CalcState& before, bool wasTyping);
  void GoTo(const std::optional<CalcState>& state, const char* name);

  Platform& platform_;
  History history_;
  // What the action of the step under way showed about itself.
  struct StepMarks {
    bool none = false;      // rejected, refused or the options dialog: no step
    bool entryKey = false;  // a key of the entry line
    std::string tapeName;   // the operation the tape names ("" : no line)
    std::string rejected;   // why it was rejected, for the tape
    bool result = true;     // the line ends with X
  } step_;
  // A step's line on the tape: `typed` was being typed as it began.
  void TapeStep(const std::string& typed, const std::string& fault = {});
  std::string TypedNow() const;
  int stepDepth_ = 0;             // an action inside a step is part of it
  bool entryStepOpen_ = false;    // the last step began the number still being typed
  bool aboutShown_ = false;
  int aboutTicks_ = 0;  // seconds of About so far; lines 1..3 show at 0..2
};

}  // namespace nimbrel
