#include "win/TypedCharacter_win.h"

#include <initializer_list>

namespace nimbrel::win {

namespace {

// ToUnicodeEx's flag "leave the keyboard state as it is" (Windows 10 1607
// and later; under Wine 8 a dead key never reaches the window: X composes
// it with the next key). Older systems ignore it: asked about a dead key
// that TranslateMessage has just stored, the call uses its accent up, which
// only this window's characters would have had, and the calculator takes
// none; the next key's character is still its own.
constexpr UINT kKeepKeyboardState = 0x4;

char32_t Typed(UINT code, UINT scanCode, const BYTE* state, HKL layout) {
  WCHAR chars[8] = {};
  const int count = ToUnicodeEx(code, scanCode, state, chars, 8, kKeepKeyboardState, layout);
  // After an accent that doesn't combine, the accent comes first: the key's
  // own character is the last.
  return count > 0 ? chars[count - 1] : 0;
}

void Release(BYTE* state, std::initializer_list<int> keys) {
  for (int key : keys) state[key] = 0;
}

char32_t KeypadDecimal(HKL layout) {
  // What the key types with Num Lock on, as the X keyboard has it under
  // Wine (whose MapVirtualKeyEx answers 0 for the German keypad); else the
  // layout's table.
  BYTE numLock[256] = {};
  numLock[VK_NUMLOCK] = 1;
  const UINT scanCode = MapVirtualKeyExW(VK_DECIMAL, MAPVK_VK_TO_VSC, layout);
  if (const char32_t typed = Typed(VK_DECIMAL, scanCode, numLock, layout)) return typed;
  return MapVirtualKeyExW(VK_DECIMAL, MAPVK_VK_TO_CHAR, layout) & 0xFFFF;
}

}  // namespace

TypedKey TypedCharacter(UINT code, UINT scanCode) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  const HKL layout = GetKeyboardLayout(0);
  const bool alt = (state[VK_MENU] & 0x80) != 0;
  if (!alt) Release(state, {VK_CONTROL, VK_LCONTROL, VK_RCONTROL});
  TypedKey typed;
  typed.character = Typed(code, scanCode, state, layout);
  if (!typed.character && alt) {  // Ctrl+Alt on a key with no AltGr character: as without them
    Release(state, {VK_CONTROL, VK_LCONTROL, VK_RCONTROL, VK_MENU, VK_LMENU, VK_RMENU});
    typed.character = Typed(code, scanCode, state, layout);
  }
  typed.keypadDecimal = KeypadDecimal(layout);
  return typed;
}

}  // namespace nimbrel::win
