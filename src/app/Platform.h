// The one door from the application to the world outside it.
//
// Only the application layer talks to this interface; the layers below it
// return outcomes instead. The Win32 main window implements it, so do
// nimbrel-cli and the recording fake of the unit tests. The calls are
// effects; the only questions are about the world outside the program (the
// lock keys, the clipboard), never about state the window keeps: the
// application owns that. Every call is made on the single UI thread and
// returns only when the user has dealt with whatever it shows (message
// boxes are modal).
#pragma once

#include <cstdint>
#include <string>

namespace nimbrel {

class Platform {
 public:
  virtual ~Platform() = default;

  // The default system beep (MessageBeep 0): a key was refused.
  virtual void Beep() = 0;

  // The exclamation beep (MessageBeep MB_ICONEXCLAMATION): the formatter had
  // to repair a rounding carry. Purely informative.
  virtual void BeepExclamation() = 0;

  // A modal message box with an OK button and no icon, no owner window.
  // Both texts are shown exactly as given.
  virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;

  // A math-library error such as "logl: SING error": stop icon, task-modal,
  // captioned with the running program's file name (without its folder).
  virtual void ReportMathError(const std::string& text) = 0;

  // ---- the main window's actions, asked for by the key dispatcher

  enum class WindowSize { Small, Medium, Large };
  enum class MemoryMode { Store, Recall };

  // Repaint the display now, from the current stack and entry line.
  virtual void PaintStack() = 0;
  // Open the help at the given topic ("Contents").
  virtual void OpenHelp(const std::string& topic) = 0;
  // Lay the window out as the About screen and start its one-second timer
  // (which calls Calculator::AboutTimerTimer); About ends on a click.
  virtual void ShowAbout() = 0;
  // Show the first `count` (0 to 3) of About's lines, each over its shadow.
  virtual void ShowAboutLines(int count) = 0;
  // About is over: its picture, lines and timer go, the face and the display
  // come back (the size is laid out after this).
  virtual void HideAbout() = 0;
  // The sound "Sound", played without waiting; a missing file is silent.
  virtual void PlayWave() = 0;
  // Run the options dialog modally; returns when it has closed.
  virtual void ShowOptions() = 0;
  // The popup menu from the keyboard (Shift+F10, the menu key): opened at
  // the window, below the display's left corner; returns when it has closed.
  virtual void ShowPopupMenu() = 0;
  // On Top was turned on or off (its check mark is the application's): the
  // window joins or leaves the topmost band.
  virtual void OnTopChanged(bool onTop) = 0;
  // Put the main window into (true) or out of (false) the topmost band for
  // a while (around a modal window), without moving or sizing it.
  virtual void SetTopmost(bool topmost) = 0;
  // A size was chosen (its check mark is the application's): lay the window
  // out at that size.
  virtual void ApplySize(WindowSize size) = 0;
  // Run the memory window modally in the given mode; returns when it closed.
  virtual void ShowMemoryWindow(MemoryMode mode) = 0;
  // The tape window opened beside the calculator, or closed.
  virtual void ShowTape(bool shown) = 0;
  // The toggle state (bit 0 of GetKeyboardState) of a lock key.
  virtual bool KeyToggled(uint16_t key) = 0;
  // One synthetic press and release of an extended key with that scan code.
  virtual void SendKeyPress(uint16_t key, uint8_t scanCode) = 0;
  // The application's error dialog, captioned "Error", for a fault's message.
  virtual void ShowError(const std::string& text) = 0;
  // The clipboard as text: setting replaces it; getting gives "" when it
  // holds no text.
  virtual void SetClipboardText(const std::string& text) = 0;
  virtual std::string GetClipboardText() = 0;
};

}  // namespace nimbrel
