// Windows virtual-key codes the calculator understands, without <windows.h>.
#pragma once

#include <cstdint>

namespace nimbrel::vk {

constexpr uint16_t Back = 8;
constexpr uint16_t Return = 13;
constexpr uint16_t Shift = 16;
constexpr uint16_t Control = 17;
constexpr uint16_t Pause = 19;
constexpr uint16_t Escape = 27;
constexpr uint16_t Space = 32;
constexpr uint16_t Prior = 33;
constexpr uint16_t Next = 34;
constexpr uint16_t End = 35;
constexpr uint16_t Home = 36;
constexpr uint16_t Left = 37;
constexpr uint16_t Up = 38;
constexpr uint16_t Right = 39;
constexpr uint16_t Down = 40;
constexpr uint16_t Insert = 45;
constexpr uint16_t Delete = 46;
constexpr uint16_t Apps = 93;    // the context-menu key
constexpr uint16_t Numpad0 = 96;
constexpr uint16_t Numpad9 = 105;
constexpr uint16_t Multiply = 106;
constexpr uint16_t Add = 107;
constexpr uint16_t Subtract = 109;
constexpr uint16_t Decimal = 110;
constexpr uint16_t Divide = 111;
constexpr uint16_t F10 = 121;
constexpr uint16_t F11 = 122;
constexpr uint16_t F12 = 123;
constexpr uint16_t NumLock = 144;
constexpr uint16_t Scroll = 145;
constexpr uint16_t Oem1 = 186;   // ; on a US keyboard
constexpr uint16_t OemPlus = 187;
constexpr uint16_t OemComma = 188;
constexpr uint16_t OemMinus = 189;
constexpr uint16_t OemPeriod = 190;
constexpr uint16_t Oem2 = 191;   // the slash key
constexpr uint16_t Oem3 = 192;   // ` on a US keyboard
constexpr uint16_t Oem4 = 219;   // [
constexpr uint16_t Oem5 = 220;   // the backslash key
constexpr uint16_t Oem6 = 221;   // ]
constexpr uint16_t Oem7 = 222;   // '

}  // namespace nimbrel::vk
