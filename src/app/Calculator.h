// The calculator without its window: the engine, the display's model and the
// face's state, and the one dispatcher that every key press and every click
// on a face key goes through.
//
// The Win32 main window and nimbrel-cli both drive this class; everything
// the dispatcher needs from the window it asks of the Platform.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "core/Engine.h"
#include "app/FaceKeys.h"
#include "app/Platform.h"
#include "display/StackWindow.h"

namespace nimbrel {

class Calculator {
 public:
  explicit Calculator(Platform& platform) : engine(platform), display(engine, platform), platform_(platform) {}

  // The main window's key-down handler (after the menu shortcuts had their
  // turn): draws the face key of the raw code pressed, turns four
  // main-keyboard keys into the keypad's arithmetic keys, then dispatches.
  // `shiftHeld` is the Shift modifier at key-down. May throw
  // FloatingPointFault (see Guarded).
  void FormKeyDown(uint16_t& key, bool shiftHeld);
  // The main window's key-up handler: draws the key released.
  void FormKeyUp(uint16_t key);
  // A completed click on face key `index` of kFaceKeys.
  void ClickFaceKey(int index);

  // The popup menu's shortcuts, offered every key-down before the handler:
  // Ctrl+Insert copies, Shift+Insert pastes. True when the key was taken.
  bool MenuShortcut(uint16_t key, bool shiftHeld, bool ctrlHeld);
  void CutClick();    // Copy: X as text onto the clipboard
  void PasteClick();  // Paste: the clipboard's number onto the stack

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

  // Bring the keyboard's Num Lock / Scroll Lock toggle to the wanted state.
  void SetNumLock(bool on);
  void SetScrollLock(bool on);

  Engine engine;
  StackWindow display;
  FaceState face;

 private:
  void ToggleShift();
  void StepWindowSize();
  void OpenMemoryWindow(Platform::MemoryMode mode, std::string_view faceKey);
  // Runs a modal window of the platform's; a topmost main window would cover
  // it, so it leaves the topmost band meanwhile.
  void OutOfTopmostBand(const std::function<void()>& showModal);
  // Recalls every slot bound to `key`, in slot order; false if none is.
  bool RecallSlots(uint16_t key);

  Platform& platform_;
};

}  // namespace nimbrel
