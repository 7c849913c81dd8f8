// The one door from the portable core to the world outside it.
//
// The core never talks to the operating system. Everything it needs from
// outside goes through this interface: the Win32 main window implements it,
// so do nimbrel-cli and the recording fake of the unit tests. Every call is
// made on the single UI thread and returns only when the user has dealt with
// whatever it shows (message boxes are modal).
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
  // Show the About screen (it ends on a click, not before this returns).
  virtual void ShowAbout() = 0;
  // Run the options dialog modally; returns when it has closed.
  virtual void ShowOptions() = 0;
  // The On Top menu command: flips the check mark and the topmost band.
  virtual void ToggleOnTop() = 0;
  // Whether the On Top menu item is checked.
  virtual bool OnTopChecked() = 0;
  // Put the main window into (true) or out of (false) the topmost band,
  // without moving or sizing it and without touching the check mark.
  virtual void SetTopmost(bool topmost) = 0;
  // Whether the size menu item is checked.
  virtual bool SizeChecked(WindowSize size) = 0;
  // The size menu command: check the item and lay the window out.
  virtual void ChooseSize(WindowSize size) = 0;
  // Run the memory window modally in the given mode; returns when it closed.
  virtual void ShowMemoryWindow(MemoryMode mode) = 0;
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
