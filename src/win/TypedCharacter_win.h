// What the active keyboard layout types for a key press, for the
// application's rule that decides + - * / and the decimal point by the
// character (core/TypedKeys.h).
#pragma once

#include <windows.h>

#include "core/TypedKeys.h"

namespace nimbrel::win {

// At WM_KEYDOWN: the character the layout types for the key `code` with
// scan code `scanCode` (lParam's bits 16 to 23) in the keyboard state of
// that moment, with Ctrl alone left out (Ctrl+- subtracts as - does) and
// Ctrl+Alt (AltGr) kept; and what the keypad's decimal key types.
TypedKey TypedCharacter(UINT code, UINT scanCode);

}  // namespace nimbrel::win
