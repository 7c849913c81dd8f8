// What the keyboard layout types for a key press, asked of the real system
// on the US layout (the test display's): Ctrl alone is left out, so Ctrl+-
// still types -, and Ctrl+Alt on a key with no AltGr character types what
// the key types without them.
#include <gtest/gtest.h>

#include <windows.h>

#include "win/TypedCharacter_win.h"

namespace nimbrel {
namespace {

// The key typed with these keys held, as the key-down handler asks.
char32_t TypedWith(UINT code, std::initializer_list<int> held) {
  BYTE state[256] = {};
  for (int key : held) state[key] = 0x80;
  if (!SetKeyboardState(state)) ADD_FAILURE() << "SetKeyboardState";
  const char32_t typed = win::TypedCharacter(code, MapVirtualKeyW(code, MAPVK_VK_TO_VSC)).character;
  BYTE none[256] = {};
  SetKeyboardState(none);
  return typed;
}

TEST(TypedCharacter, OnTheUsLayout) {
  if (LOWORD(reinterpret_cast<UINT_PTR>(GetKeyboardLayout(0))) != 0x0409) GTEST_SKIP() << "not a US layout";
  const struct {
    UINT code;
    std::initializer_list<int> held;
    char32_t typed;
  } cases[] = {
      {VK_OEM_MINUS, {}, U'-'},
      {VK_OEM_MINUS, {VK_CONTROL, VK_LCONTROL}, U'-'},
      {VK_OEM_PLUS, {VK_SHIFT, VK_LSHIFT}, U'+'},
      {VK_OEM_PLUS, {VK_SHIFT, VK_LSHIFT, VK_CONTROL, VK_LCONTROL}, U'+'},
      {VK_OEM_PLUS, {}, U'='},
      {'8', {VK_SHIFT, VK_LSHIFT}, U'*'},
      {'8', {}, U'8'},
      {VK_OEM_2, {}, U'/'},
      {VK_OEM_PERIOD, {}, U'.'},
      {VK_OEM_MINUS, {VK_CONTROL, VK_LCONTROL, VK_MENU, VK_LMENU}, U'-'},
      {VK_F10, {}, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<uint32_t>(TypedWith(c.code, c.held)), static_cast<uint32_t>(c.typed))
        << "code " << c.code << " with " << c.held.size() << " keys held";
  }
  EXPECT_EQ(static_cast<uint32_t>(win::TypedCharacter(VK_OEM_PERIOD, 0).keypadDecimal), uint32_t{U'.'});
}

}  // namespace
}  // namespace nimbrel
