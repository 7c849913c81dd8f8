#include "core/TypedKeys.h"


#include "core/KeyCodes.h"

namespace nimbrel {

uint16_t TypedKeyCode(uint16_t code, const TypedKey& typed) {
  if (code >= vk::Numpad0 && code <= vk::Divide) return code;  // the keypad is what it is
  switch (typed.character) {
    case U'+': return vk::Add;
    case U'-': case U'\u2212': return vk::Subtract;
    case U'*': case U'\u00D7': return vk::Multiply;
    case U'/': case U'\u00F7': return vk::Divide;
    case U'.': return vk::Decimal;
    case U',': return typed.keypadDecimal == U',' ? vk::Decimal : code;
    default: return code;
  }
}

namespace {

// The US main keyboard's punctuation keys: code, unshifted, shifted.
struct UsKey {
  uint16_t code;
  char plain, shifted;
};
constexpr UsKey kUsPunctuation[] = {
    {vk::Oem1, ';', ':'},      {vk::OemPlus, '=', '+'},  {vk::OemComma, ',', '<'}, {vk::OemMinus, '-', '_'},
    {vk::OemPeriod, '.', '>'}, {vk::Oem2, '/', '?'},     {vk::Oem3, '`', '~'},     {vk::Oem4, '[', '{'},
    {vk::Oem5, '\\', '|'},     {vk::Oem6, ']', '}'},     {vk::Oem7, '\'', '"'},    {vk::Space, ' ', ' '},
};

}  // namespace

char32_t UsKeyboard(uint16_t code, bool shift) {
  if (code >= '0' && code <= '9') return shift ? U")!@#$%^&*("[code - '0'] : code;
  if (code >= 'A' && code <= 'Z') return shift ? code : code - 'A' + U'a';
  if (code >= vk::Numpad0 && code <= vk::Numpad9) return U'0' + (code - vk::Numpad0);
  switch (code) {  // the keypad's other keys type the same with Shift
    case vk::Multiply: return U'*';
    case vk::Add: return U'+';
    case vk::Subtract: return U'-';
    case vk::Decimal: return U'.';
    case vk::Divide: return U'/';
    default: break;
  }
  for (const UsKey& key : kUsPunctuation) {
    if (key.code == code) return static_cast<unsigned char>(shift ? key.shifted : key.plain);
  }
  return 0;
}

}  // namespace nimbrel
