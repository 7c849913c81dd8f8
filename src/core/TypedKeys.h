// Which key a press on the main keyboard stands for, decided by the
// character the keyboard layout types for it, so that + - * / and the
// decimal point work wherever a layout puts them (the German * is Shift and
// the + key, its / is Shift+7; the French - is on the 6 key).
#pragma once

#include <cstdint>

namespace nimbrel {

// What the active keyboard layout types: for the key press, and for the
// keypad's decimal key (a point, or a comma on layouts with a decimal comma).
// 0 for no character (a dead key, a key that types nothing).
struct TypedKey {
  char32_t character = 0;
  char32_t keypadDecimal = U'.';
};

// The code to dispatch for a key press with virtual-key `code`: a key that
// types + - * / (or × − ÷) becomes the keypad's arithmetic key, a point the
// keypad's decimal key, and so does a comma where the keypad's decimal key
// types one. The keypad's own codes and every other key keep their code: a
// digit key typing its digit (or anything else, as on the French number
// row) stays that digit.
uint16_t TypedKeyCode(uint16_t code, const TypedKey& typed);

// What a US keyboard types for a key, with or without Shift (0 for none):
// nimbrel-cli's keyboard, and the tests'.
char32_t UsKeyboard(uint16_t code, bool shift);

}  // namespace nimbrel
