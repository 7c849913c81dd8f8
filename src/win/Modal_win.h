// A secondary window shown modally over its owner: the owner takes no input
// until the window says it is done, and a WM_QUIT that arrives meanwhile is
// passed on to the loop outside.
#pragma once

#include <windows.h>

#include <functional>

namespace nimbrel::win {

// Shows `window`, disables `owner` and dispatches messages until `done()`
// is true; then gives the owner its input and the activation back. The
// caller destroys the window afterwards.
// With `dialogKeys`, Tab, the arrows, Enter and Escape work as in a dialog
// box (Enter is IDOK, Escape IDCANCEL); `focus`, when given, has the focus
// first.
void RunModal(HWND window, HWND owner, const std::function<bool()>& done, bool dialogKeys = false,
              HWND focus = nullptr);

// Centres a window on the screen.
void CentreOnScreen(HWND window);

}  // namespace nimbrel::win
