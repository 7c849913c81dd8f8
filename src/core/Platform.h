// The one door from the portable core to the world outside it.
//
// The core never talks to the operating system. Everything it needs from
// outside goes through this interface: the Win32 main window implements it,
// so do nimbrel-cli and the recording fake of the unit tests. Every call is
// made on the single UI thread and returns only when the user has dealt with
// whatever it shows (message boxes are modal).
#pragma once

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
};

}  // namespace nimbrel
