#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "KeyTable.h"
#include "cli/CliSession.h"
#include "cli/KeyNames.h"
#include "app/Calculator.h"
#include "core/KeyCodes.h"

namespace nimbrel {
namespace {

TEST(Dispatch, EntryAndArithmetic) {
  RunTable({
      {"2 VK_RETURN 3 VK_ADD", {"Y: 0.0000", "X: 5.0000"}},
      {"VK_NUMPAD2 VK_RETURN VK_NUMPAD3", {"Y: 2.0000", "X: 3"}},
      {"4 enter 5", {"Y: 4.0000", "X: 5"}},                 // Enter's copy is replaced
      {"4 enter 5 + 6", {"Y: 9.0000", "X: 6"}},             // a result is pushed up
      {"7 enter 2 -", {"Y: 0.0000", "X: 5.0000"}},
      {"7 enter 2 *", {"Y: 0.0000", "X: 14.0000"}},
      {"7 enter 2 /", {"Y: 0.0000", "X: 3.5000"}},
      {"1 . 5 VK_END", {"Y: 0.0000", "X: -1.5"}},
      {"1 VK_NEXT 3", {"Y: 0.0000", "X: 1+e3"}},
      {"1 2 VK_BACK", {"Y: 0.0000", "X: 1"}},
      {"9 VK_PAUSE", {"Y: 0.0000", "X: 3.0000"}},
      {"4 VK_SCROLL", {"Y: 0.0000", "X: 0.2500"}},
      {"1 0 0 0 VK_OEM_5", {"Y: 0.0000", "X: 3.0000"}},
      {"1 VK_DELETE", {"Y: 0.0000", "X: 0.0000"}},
      {"0 VK_INSERT", {"Y: 0.0000", "X: 0.0000"}},
      {"0 VK_HOME", {"Y: 0.0000", "X: 1.0000"}},
      {"0 VK_PRIOR", {"Y: 0.0000", "X: 0.0000"}},
      {"1 enter 2 VK_UP", {"Y: 2.0000", "X: 1.0000"}},
      {"1 enter 2 VK_DOWN", {"Y: 0.0000", "X: 1.0000"}},
      {"1 enter 2 VK_F11", {"Y: 2.0000", "X: 0.0000"}},    // roll up: level 10 to X
      {"1 enter 2 VK_F12 VK_F11", {"Y: 2.0000", "X: 0.0000"}},  // in either shift state, ending it
      {"VK_END", {"Y: 0.0000", "X: 0.0000"}},              // -0 shows no sign
      {"A", {"Y: 0.0000", "X: 0.0000"}},                   // not a digit in base 10
      {"VK_SPACE", {"Y: 0.0000", "X: 0.0000"}},            // no meaning, no slot
  });
}

// nimbrel-cli's plain names: each does what its key does, in either shift
// state.
TEST(Dispatch, OperationsByName) {
  RunTable({
      {"1 sin", {"Y: 0.0000", "X: 0.8415"}},         {"0 cos", {"Y: 0.0000", "X: 1.0000"}},
      {"1 tan", {"Y: 0.0000", "X: 1.5574"}},         {"1 asin", {"Y: 0.0000", "X: 1.5708"}},
      {"0 acos", {"Y: 0.0000", "X: 1.5708"}},        {"1 atan", {"Y: 0.0000", "X: 0.7854"}},
      {"2 ln", {"Y: 0.0000", "X: 0.6931"}},          {"1 exp", {"Y: 0.0000", "X: 2.7183"}},
      {"1 0 0 log", {"Y: 0.0000", "X: 2.0000"}},     {"3 alog", {"Y: 0.0000", "X: 1,000.0000"}},
      {"4 inv", {"Y: 0.0000", "X: 0.2500"}},         {"2 enter 3 pow", {"Y: 0.0000", "X: 8.0000"}},
      {"9 sqrt", {"Y: 0.0000", "X: 3.0000"}},        {"3 sq", {"Y: 0.0000", "X: 9.0000"}},
      {"4 fact", {"Y: 0.0000", "X: 24.0000"}},       {"pi", {"Y: 0.0000", "X: 3.1416"}},
      {"5 chs", {"Y: 0.0000", "X: -5"}},             {"1 eex 3", {"Y: 0.0000", "X: 1+e3"}},
      {"1 enter 2 swap", {"Y: 2.0000", "X: 1.0000"}}, {"1 enter 2 drop", {"Y: 0.0000", "X: 1.0000"}},
      {"1 enter 2 rolldown", {"Y: 0.0000", "X: 1.0000"}}, {"1 enter 2 rollup", {"Y: 2.0000", "X: 0.0000"}},
      {"9 sqrt lastx", {"Y: 3.0000", "X: 9.0000"}},  {"4 VK_F12 sqrt", {"Y: 0.0000", "X: 2.0000"}},
      {"6 sto 2 enter rcl 2 enter", {"memory STORE", "memory close", "memory RECALL", "memory close",
                                      "Y: 6.0000", "X: 6.0000"}},
      {"2 enter 3 + undo", {"Y: 2.0000", "X: 3"}},   {"2 enter 3 + undo redo", {"Y: 0.0000", "X: 5.0000"}},
      {"8 copy", {"clipboard 8.0000", "Y: 0.0000", "X: 8"}},
      {"paste", {"Y: 4.0000", "X: 5.0000"}},
  }, [](CliSession& s) { s.clipboard = "4;5"; });
}

TEST(Dispatch, MainKeyboardArithmeticKeys) {
  RunTable({
      {"2 enter 3 shift+VK_OEM_PLUS", {"Y: 0.0000", "X: 5.0000"}},
      {"2 enter 3 VK_OEM_PLUS", {"Y: 2.0000", "X: 3"}},        // = alone means nothing
      {"7 enter 3 VK_OEM_MINUS", {"Y: 0.0000", "X: 4.0000"}},
      {"7 enter 3 shift+VK_OEM_MINUS", {"Y: 7.0000", "X: 3"}}, // underscore
      {"2 enter 3 shift+8", {"Y: 0.0000", "X: 6.0000"}},
      {"2 enter 3 8", {"Y: 2.0000", "X: 38"}},
      {"8 enter 2 VK_OEM_2", {"Y: 0.0000", "X: 4.0000"}},
      {"8 enter 2 shift+VK_OEM_2", {"Y: 8.0000", "X: 2"}},     // question mark
      {"3 VK_OEM_PERIOD 5 enter", {"Y: 3.5000", "X: 3.5000"}}, // the point, as on the keypad
      {"3 VK_OEM_COMMA 5", {"Y: 0.0000", "X: 35"}},            // a comma isn't one here
      {"2 enter 3 ctrl+VK_OEM_MINUS", {"Y: 0.0000", "X: -1.0000"}},  // Ctrl changes nothing
  });
}

TEST(Dispatch, KeyboardOpensThePopupMenu) {
  RunTable({
      {"VK_APPS", {"menu", "Y: 0.0000", "X: 0.0000"}},
      {"shift+VK_F10", {"menu", "Y: 0.0000", "X: 0.0000"}},
      {"VK_F10", {"Y: 0.0000", "X: 0.0000"}},                     // F10 alone: nothing
      {"4 2 VK_APPS 1", {"menu", "Y: 0.0000", "X: 421"}},         // the entry goes on
      {"VK_F12 shift+VK_F10", {"menu", "Y: 0.0000", "X: 0.0000", "shift on"}},  // not a key of the face
      {"VK_F12 enter VK_APPS shift+VK_F10", {"about", "Y: 0.0000", "X: 0.0000"}},  // none during About
  });
}

TEST(Dispatch, ShiftedKeys) {
  RunTable({
      {"VK_NUMLOCK", {"Y: 0.0000", "X: 0.0000", "shift on"}},
      {"VK_NUMLOCK VK_NUMLOCK", {"Y: 0.0000", "X: 0.0000"}},
      {"VK_F12 0", {"help Contents", "Y: 0.0000", "X: 0.0000"}},
      {"VK_F12 VK_NUMPAD0", {"help Contents", "Y: 0.0000", "X: 0.0000"}},
      {"VK_F12 enter", {"about", "Y: 0.0000", "X: 0.0000"}},
      {"VK_F12 +", {"options", "Y: 0.0000", "X: 0.0000"}},
      {"VK_F12 /", {"ontop", "Y: 0.0000", "X: 0.0000"}},
      {"VK_F12 - VK_F12 - VK_F12 -", {"size Medium", "size Small", "size Large", "Y: 0.0000", "X: 0.0000"}},
      {"2 enter 1 0 VK_F12 VK_SCROLL", {"Y: 0.0000", "X: 1,024.0000"}},
      {"3 VK_F12 VK_PAUSE", {"Y: 0.0000", "X: 9.0000"}},
      {"3 VK_F12 VK_OEM_5", {"Y: 0.0000", "X: 1,000.0000"}},
      {"0 VK_F12 VK_DELETE", {"Y: 0.0000", "X: 1.0000"}},
      {"VK_F12 VK_END", {"Y: 0.0000", "X: 3.1416"}},
      {"1 VK_F12 VK_INSERT", {"Y: 0.0000", "X: 1.5708"}},
      {"1 VK_F12 VK_HOME", {"Y: 0.0000", "X: 0.0000"}},
      {"1 VK_F12 VK_PRIOR", {"Y: 0.0000", "X: 0.7854"}},
      {"1 enter 2 VK_UP VK_F12 VK_UP", {"Y: 1.0000", "X: 2.0000"}},  // last X after exchange
      // Roll down: Y becomes X, X goes to level 10; last X stays.
      {"1 enter 2 VK_F12 VK_DOWN", {"Y: 0.0000", "X: 1.0000"}},
      {"1 enter 2 VK_F12 VK_DOWN VK_F12 VK_DOWN", {"Y: 0.0000", "X: 0.0000"}},
      {"4 VK_PAUSE VK_F12 VK_DOWN VK_F12 VK_UP", {"Y: 0.0000", "X: 4.0000"}},
      {"5 VK_F12 VK_NEXT", {"Y: 0.0000", "X: 120.0000"}},
      {"1 VK_F12 VK_NEXT", {"Y: 0.0000", "X: 1.0000"}},  // the smallest whole number it takes
      {"2 . 5 VK_F12 VK_NEXT", {"beep", "Y: 0.0000", "X: 2.5000"}},
      {"0 VK_F12 VK_NEXT", {"beep", "Y: 0.0000", "X: 0.0000"}},
      {"3 VK_END VK_F12 VK_NEXT", {"beep", "Y: 0.0000", "X: -3.0000"}},
      {"1 2 VK_F12 VK_BACK", {"Y: 0.0000", "X: 1"}},     // backspace in both states
      // No action with the shift on: nothing happens and the shift stays.
      {"VK_F12 5", {"Y: 0.0000", "X: 0.0000", "shift on"}},
      {"VK_F12 .", {"Y: 0.0000", "X: 0.0000", "shift on"}},
      {"VK_F12 *", {"Y: 0.0000", "X: 0.0000", "shift on"}},
      {"VK_F12 VK_LEFT", {"Y: 0.0000", "X: 0.0000", "shift on"}},
      {"VK_F12 VK_RIGHT", {"Y: 0.0000", "X: 0.0000", "shift on"}},
  });
}

TEST(Dispatch, CopyAndPasteAreMenuShortcuts) {
  RunTable({
      {"2 enter 3 + ctrl+VK_INSERT", {"clipboard 5.0000", "Y: 0.0000", "X: 5.0000"}},
      {"1 VK_INSERT", {"Y: 0.0000", "X: 0.8415"}},  // Insert alone is the sine
      {"4 2 shift+VK_INSERT", {"Y: 42.0000", "X: 1,234.5000"}},
      {"1 . 5 ctrl+VK_INSERT", {"clipboard 1.5000", "Y: 0.0000", "X: 1.5"}},
      {"ctrl+T 5 ctrl+T", {"tape open", "tape close", "Y: 0.0000", "X: 5"}},
      {"5 ctrl+shift+VK_INSERT",
       {"clipboard 0.0000\r\n0.0000\r\n0.0000\r\n0.0000\r\n0.0000\r\n0.0000\r\n0.0000\r\n0.0000\r\n0.0000\r\n"
        "5.0000\r\n",
        "Y: 0.0000", "X: 5"}},  // the number typed goes on typing
  }, [](CliSession& s) { s.clipboard = "$1,234.50"; });
}

// Each step's line on the tape: the number typed for it, its name, and X
// after it or why it was refused.
TEST(Dispatch, TheTapeNamesEveryStep) {
  const struct {
    const char* keys;
    Lines tape;
  } cases[] = {
      {"2 enter 3 +", {"2\tENTER\t2.0000", "3\t+\t5.0000"}},
      {"1 enter 0 /", {"1\tENTER\t1.0000", "0\t\u00F7\tFloating point division by zero"}},
      {"0 VK_DELETE", {"0\tLN\tlogl: SING error"}},
      {"2 . 5 VK_F12 VK_NEXT", {"2.5\tn!\ta whole number above 0 only"}},
      {"1 VK_NEXT 3 VK_END VK_OEM_5", {"1e-3\tLOG\t-3.0000"}},
      {"VK_F12 VK_END 4 *", {"\t\u03C0\t3.1416", "4\t\u00D7\t12.5664"}},
      {"5 VK_LEFT 3 enter K", {"5\tSTO 3\t5.0000", "\tRCL K\t2.5000"}},
      {"1 enter 2 VK_F11 VK_F12 VK_DOWN", {"1\tENTER\t1.0000", "2\tR\u2191\t0.0000", "\tR\u2193\t2.0000"}},
      {"4 VK_PAUSE ctrl+Z ctrl+Y", {"4\t\u221Ax\t2.0000", "\tUNDO\t4.0000", "4\tREDO\t2.0000"}},
      {"7 shift+VK_INSERT", {"7\tPASTE\t3.0000"}},
      {"2 enter VK_END 1 VK_F12 VK_HOME", {"2\tENTER\t2.0000", "\t\u00B1\t-2.0000", "1\tACOS\t0.0000"}},
      {"ctrl+shift+VK_INSERT", {"\tCOPY STACK"}},
      {"ctrl+VK_INSERT VK_SPACE ctrl+T 2", {}},  // neither Copy nor a window changes a number
      {"VK_F12 VK_ADD", {}},                       // options left as they were
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    CliSession s;
    s.clipboard = "1\r\n2\r\n3";
    s.calc.engine.Memory[1] = {2.5L, 'K'};
    Press(s, c.keys);
    EXPECT_EQ(Lines(s.calc.tape.Lines().begin(), s.calc.tape.Lines().end()), c.tape);
  }
}

TEST(Dispatch, FaultsAndRejections) {
  RunTable({
      {"1 enter 0 /", {"error Floating point division by zero", "Y: 1.0000", "X: 0.0000"}},
      {"0 VK_SCROLL", {"error Floating point division by zero", "Y: 0.0000", "X: 0.0000"}},
      {"0 VK_DELETE", {"message Nimbrel.exe: logl: SING error", "Y: 0.0000", "X: 0.0000"}},
      {"4 VK_END VK_PAUSE", {"message Nimbrel.exe: sqrtl: DOMAIN error", "Y: 0.0000", "X: -4.0000"}},
      {"2 VK_F12 VK_INSERT", {"message Quarvel Calculator: ASIN, Out of Range, Must be between -1 and 1", "Y: 0.0000", "X: 2.0000"}},
      {"2 VK_F12 VK_HOME", {"message Quarvel Calculator: ACOS, Out of Range, Must be between -1 and 1", "Y: 0.0000", "X: 2.0000"}},
  });
}

TEST(Dispatch, AFaultClearsTheShiftAndTheEntry) {
  CliSession s;
  Press(s, "1 enter 0");
  s.calc.face.ShowShifted();  // as if the shift were on when the fault came
  s.calc.Guarded([&] { s.calc.engine.Calculate(opDivide, auRadians); });
  EXPECT_EQ(s.TakeEvents(), (Lines{"error Floating point division by zero"}));
  EXPECT_FALSE(s.calc.face.ShiftOn());
  EXPECT_FALSE(s.calc.display.entry.InProgress());
}

TEST(Dispatch, AnyFailureOfAHandlerGetsTheWholeExceptionHandler) {
  // Not a floating-point fault: something else a handler may throw.
  FakePlatform fake;
  Calculator calc(fake);
  for (uint16_t key : {uint16_t{'1'}, uint16_t{13}, uint16_t{'2'}}) calc.DispatchKey(key);
  ASSERT_TRUE(calc.display.entry.InProgress());
  calc.face.ShowShifted();
  fake.Take();
  const int paintsBefore = fake.paints;
  calc.Guarded([] { throw std::runtime_error("Out of memory"); });
  EXPECT_EQ(fake.Take(), (Lines{"error Out of memory"}));
  EXPECT_FALSE(calc.face.ShiftOn());
  EXPECT_FALSE(calc.display.entry.InProgress());
  EXPECT_GT(fake.paints, paintsBefore);
}

TEST(Dispatch, BasesDecideWhichKeysAreDigits) {
  RunTable({{"7 8 9", {"Y: 0.0000", "X: 7"}}, {"1 7 .", {"Y: 0.0000", "X: 17."}}},
           [](CliSession& s) { s.calc.display.options.Base = 8; });
  RunTable({{"F F", {"Y: 0.0000", "X: FF"}}, {"F F enter", {"Y: FF.0000", "X: FF.0000"}}},
           [](CliSession& s) { s.calc.display.options.Base = 16; });
}

TEST(Dispatch, SlotKeysRecall) {
  auto bind = [](CliSession& s) {
    s.calc.engine.Memory[0] = {1, 'K'};
    s.calc.engine.Memory[2] = {3, 'K'};
    s.calc.engine.Memory[4] = {5, 'A'};
  };
  RunTable({
      {"K", {"Y: 1.0000", "X: 3.0000"}},                 // both slots, slot 1 first
      {"VK_F12 K", {"Y: 1.0000", "X: 3.0000"}},          // the shift clears
      {"A", {"Y: 0.0000", "X: 5.0000"}},                 // base 10: letters recall
      {"4 2 K", {"Y: 1.0000", "X: 3.0000"}},             // the entry ends
  }, bind);
  RunTable({
      {"A", {"Y: 0.0000", "X: A"}},                      // base 16: a digit first
      {"VK_F12 A", {"Y: 0.0000", "X: 5.0000"}},          // recalled with the shift on
  }, [](CliSession& s) {
    s.calc.display.options.Base = 16;
    s.calc.engine.Memory[4] = {5, 'A'};
  });
}

TEST(Dispatch, MemoryWindowTakesTheKeysWhileOpen) {
  CliSession s;
  EXPECT_EQ(Press(s, "5 VK_LEFT 3 enter"), (Lines{"memory STORE", "memory close", "Y: 0.0000", "X: 5.0000"}));
  EXPECT_EQ(s.calc.engine.Memory[2].value, 5);
  EXPECT_EQ(Press(s, "7 VK_RIGHT VK_NUMPAD3 enter"), (Lines{"memory RECALL", "memory close", "Y: 7.0000", "X: 5.0000"}));
  Press(s, "VK_LEFT VK_NUMPAD9 enter");
  EXPECT_EQ(s.calc.engine.Memory[8].value, 5) << "the keypad's 9 is slot 9";
  // Letters stick even when the window is left with Escape; Ctrl closes too.
  EXPECT_EQ(Press(s, "VK_LEFT 4 K VK_ESCAPE"), (Lines{"memory STORE", "memory close", "Y: 7.0000", "X: 5.0000"}));
  EXPECT_EQ(s.calc.engine.Memory[3].key, 'K');
  EXPECT_EQ(s.calc.engine.Memory[3].value, 0) << "Escape stores nothing";
  EXPECT_EQ(Press(s, "K"), (Lines{"Y: 5.0000", "X: 0.0000"}));
  EXPECT_EQ(Press(s, "VK_RIGHT 4 VK_SPACE 0 VK_CONTROL"), (Lines{"memory RECALL", "memory close", "Y: 5.0000", "X: 0.0000"}));
  EXPECT_EQ(s.calc.engine.Memory[3].key, 0);
  // The window's caption says which it is.
  EXPECT_STREQ(s.calc.MemoryWindowFor(Platform::MemoryMode::Store).Caption(), "Memory Slots [STORE]");
  EXPECT_STREQ(s.calc.MemoryWindowFor(Platform::MemoryMode::Recall).Caption(), "Memory Slots [RECALL]");
}

TEST(Dispatch, StoringAHalfTypedNumberEndsTheEntry) {
  CliSession s;
  EXPECT_EQ(Press(s, "1 2 VK_LEFT enter 4"), (Lines{"memory STORE", "memory close", "Y: 12.0000", "X: 4"}));
  EXPECT_EQ(s.calc.engine.Memory[0].value, 12);
}

TEST(Dispatch, LockKeysAreForcedBack) {
  CliSession s;
  s.numLock = false;  // as a press of Num Lock leaves the keyboard
  Press(s, "VK_NUMLOCK");
  EXPECT_TRUE(s.numLock) << "Num Lock is put back on";
  Press(s, "VK_NUMLOCK 4 VK_SCROLL");
  EXPECT_TRUE(s.numLock) << "Num Lock stays on";
  EXPECT_FALSE(s.scrollLock) << "Scroll Lock stays off";

  // Only a state that differs is corrected, with one press and release.
  FakePlatform p;
  Calculator c(p);
  p.numLock = true;
  c.SetNumLock(true);
  p.scrollLock = true;
  c.SetScrollLock(false);
  p.numLock = false;
  c.SetNumLock(true);
  EXPECT_EQ(p.Take(), (Lines{"keypress 145 scan 70", "keypress 144 scan 0"}));
}

TEST(Dispatch, MemoryWindowLeavesTheTopmostBandWhileOpen) {
  FakePlatform p;
  Calculator c(p);
  uint16_t key = vk::Left;
  c.DispatchKey(key);
  EXPECT_EQ(p.Take(), (Lines{"memory STORE"}));
  c.window.OnTop = true;  // the application keeps the check mark
  key = vk::Right;
  c.DispatchKey(key);
  EXPECT_EQ(p.Take(), (Lines{"notopmost", "memory RECALL", "topmost"}));
}

TEST(Dispatch, OptionsLeaveTheTopmostBandWhileOpenAndRepaint) {
  FakePlatform p;
  Calculator c(p);
  c.window.OnTop = true;  // the application keeps the check mark
  c.OptionsClick();
  EXPECT_EQ(p.Take(), (Lines{"notopmost", "options", "topmost"}));
  EXPECT_EQ(p.paints, 1);
}

TEST(Dispatch, KeypadDigitIsRewrittenForTheCaller) {
  FakePlatform p;
  Calculator c(p);
  uint16_t key = vk::Numpad0 + 7;
  c.DispatchKey(key);
  EXPECT_EQ(key, '7');
  EXPECT_EQ(c.engine.X(), 7);
}

// ---- the face -------------------------------------------------------------------------

TEST(Face, KeyboardPressesLightTheirKeys) {
  FakePlatform p;
  Calculator c(p);
  const struct {
    uint16_t raw;
    bool shift;
    const char* lit;  // nullptr: nothing lights
  } cases[] = {
      {'7', false, "Seven"}, {vk::Numpad0 + 7, false, "Seven"}, {'8', true, "Eight"},
      {vk::OemPlus, true, nullptr}, {vk::Insert, false, "SIN"}, {vk::NumLock, false, nullptr},
      {vk::Return, false, "Enter"}, {'0', false, "Zero"}, {vk::Numpad0, false, "Zero"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.raw);
    uint16_t key = k.raw;
    c.FormKeyDown(key, k.shift);
    for (int i = 0; i < kFaceKeyCount; ++i) {
      const bool expected = k.lit && kFaceKeys[i].name == k.lit;
      EXPECT_EQ(c.face.Key(i).Down, expected) << kFaceKeys[i].name;
    }
    c.FormKeyUp(k.raw);
    for (int i = 0; i < kFaceKeyCount; ++i) EXPECT_FALSE(c.face.Key(i).Down);
    if (c.face.ShiftOn()) c.face.ShowUnshifted();
  }
}

TEST(Face, TheDualLegendKeysAreTheTwoFrameKeysWithRollDownLast) {
  int twoFrames = 0;
  for (const FaceKey& key : kFaceKeys) twoFrames += key.frames == 2;
  EXPECT_EQ(twoFrames, kDualLegendCount);
  for (std::string_view name : kDualLegendKeys) {
    const FaceKey& key = kFaceKeys[FaceKeyIndex(name)];
    EXPECT_EQ(key.frames, 2) << name;
    EXPECT_FALSE(key.legend2.empty()) << name;
  }
  // The art's strips and the shift's order keep the first fifteen in place.
  EXPECT_EQ(kDualLegendKeys[14], "Divide");
  EXPECT_EQ(kDualLegendKeys[15], "PopOff");
  EXPECT_EQ(kFaceKeys[FaceKeyIndex("PopOff")].legend2, "R\u2193");
}

TEST(Face, ShiftShowsTheSecondLegendsForOneAction) {
  FakePlatform p;
  Calculator c(p);
  c.ClickFaceKey(FaceKeyIndex("Shift"));
  for (int i = 0; i < kFaceKeyCount; ++i) {
    const auto& key = kFaceKeys[i];
    const int16_t expected = key.name == "Shift" ? kShiftOn : key.frames == 2 ? 2 : 1;
    EXPECT_EQ(c.face.Key(i).CurrentGlyph, expected) << key.name;
  }
  c.ClickFaceKey(FaceKeyIndex("Neg"));  // shifted: pi
  EXPECT_EQ(c.engine.X(), kPi);
  for (int i = 0; i < kFaceKeyCount; ++i) EXPECT_EQ(c.face.Key(i).CurrentGlyph, 1) << kFaceKeys[i].name;
}

// What a user can see of the calculator: all ten display lines (and the
// shift), and what it asked of the window.
struct Seen {
  Lines display;
  Lines events;
  bool operator==(const Seen&) const = default;
};

// A session with 2 in Y and 0.5 in X: every operation of the face has a
// valid argument there, and x<>y changes the display.
void TwoAndAHalf(CliSession& s) {
  s.calc.engine.Push(2);
  s.calc.engine.Push(0.5L);
  s.TakeEvents();
}

Seen Look(CliSession& s) { return {s.Display(10), s.TakeEvents()}; }

// The face key clicked as the window clicks it, in a fresh session.
Seen AfterClick(int index, bool shifted) {
  CliSession s;
  TwoAndAHalf(s);
  if (shifted) s.calc.face.ShowShifted();
  s.calc.Guarded([&] { s.calc.ClickFaceKey(index); });
  return Look(s);
}

TEST(Face, EveryKeyClickedDoesSomething) {
  CliSession fresh;
  TwoAndAHalf(fresh);
  const Seen before = Look(fresh);
  for (int i = 0; i < kFaceKeyCount; ++i) {
    SCOPED_TRACE(kFaceKeys[i].name);
    EXPECT_NE(AfterClick(i, false), before);
  }
}

TEST(Face, WhileShiftedExactlyTheKeysWithASecondLegendAct) {
  // A key that acts ends the shift; one with nothing to do leaves everything,
  // the shift too, for the next key.
  CliSession fresh;
  TwoAndAHalf(fresh);
  fresh.calc.face.ShowShifted();
  const Seen shifted = Look(fresh);
  Lines unshiftedDisplay = shifted.display;
  unshiftedDisplay.pop_back();  // "shift on"
  for (int i = 0; i < kFaceKeyCount; ++i) {
    const FaceKey& key = kFaceKeys[i];
    if (key.name == "Shift") continue;
    SCOPED_TRACE(key.name);
    const Seen after = AfterClick(i, true);
    if (key.legend2.empty()) {
      EXPECT_EQ(after, shifted);
    } else {
      EXPECT_NE(after.display.back(), "shift on");
      EXPECT_TRUE(after.display != unshiftedDisplay || !after.events.empty()) << "only the shift ended";
    }
  }
}

TEST(Face, AClickDoesWhatTheKeyThatLightsItDoes) {
  for (int i = 0; i < kFaceKeyCount; ++i) {
    const FaceKey& key = kFaceKeys[i];
    for (uint16_t code : key.shownBy) {
      if (code == 0) continue;
      SCOPED_TRACE(testing::Message() << key.name << " and key code " << code);
      CliSession s;
      TwoAndAHalf(s);
      s.Press({code, false, false});
      EXPECT_EQ(Look(s), AfterClick(i, false));
    }
  }
}

TEST(Face, EachKeyboardCodeThatDrawsAKeyLightsThatKeyOnly) {
  int keysDrawn = 0;
  for (int i = 0; i < kFaceKeyCount; ++i) {
    keysDrawn += kFaceKeys[i].shownBy[0] != 0;
    for (uint16_t code : kFaceKeys[i].shownBy) {
      if (code == 0) continue;
      SCOPED_TRACE(testing::Message() << kFaceKeys[i].name << " and key code " << code);
      CliSession s;
      TwoAndAHalf(s);
      // Every key drawn pressed at any moment of the key-down, also one that
      // a modal window releases again before the key-down returns.
      std::vector<int> lit;
      s.calc.face.onChange = [&](int changed) {
        if (s.calc.face.Key(changed).Down) lit.push_back(changed);
      };
      uint16_t key = code;
      s.calc.Guarded([&] { s.calc.FormKeyDown(key, false); });
      EXPECT_EQ(lit, std::vector<int>{i});
      s.calc.FormKeyUp(code);
      EXPECT_FALSE(s.calc.face.Key(i).Down) << "released";
    }
  }
  // Num Lock and F12 work the shift without drawing its key.
  EXPECT_EQ(keysDrawn, kFaceKeyCount - 1) << "every other key is drawn pressed from the keyboard";
}

}  // namespace
}  // namespace nimbrel

namespace nimbrel {
namespace {

TEST(About, LinesComeOneASecondWithTheSoundAndAClickBringsTheSizeBack) {
  FakePlatform p;
  Calculator c(p);
  c.ChooseSize(Platform::WindowSize::Small);
  p.Take();
  uint16_t key = vk::F12;
  c.DispatchKey(key);  // the shift, then Enter: About
  key = vk::Return;
  c.DispatchKey(key);
  EXPECT_EQ(p.Take(), (Lines{"about"}));
  EXPECT_TRUE(c.AboutShown());
  const int soundsBefore = p.sounds;
  EXPECT_TRUE(c.AboutTimerTimer());
  EXPECT_TRUE(c.AboutTimerTimer());
  EXPECT_FALSE(c.AboutTimerTimer()) << "the third line stops the timer";
  EXPECT_EQ(p.Take(), (Lines{"about lines 1", "about lines 2", "about lines 3"}));
  EXPECT_EQ(p.sounds - soundsBefore, 3);
  c.Image1Click();
  EXPECT_EQ(p.Take(), (Lines{"about ends", "size Small"})) << "back to the checked size, with its sound";
  EXPECT_FALSE(c.AboutShown());
  EXPECT_EQ(c.AboutLines(), 0);
  c.Image1Click();
  EXPECT_TRUE(p.Take().empty()) << "a click with About gone does nothing";
}

TEST(About, StartedAgainWhenCompleteItSoundsEverySecondWithNoNewLine) {
  FakePlatform p;
  Calculator c(p);
  c.AboutClick();
  for (int i = 0; i < 3; ++i) c.AboutTimerTimer();
  c.AboutClick();  // the counter is not reset
  p.Take();
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(c.AboutTimerTimer()) << "the timer never stops now";
  EXPECT_EQ(p.Take(), (Lines(4, "about lines 3")));
}

TEST(About, TheSizeCycleDuringAboutEndsIt) {
  FakePlatform p;
  Calculator c(p);
  c.AboutClick();
  c.AboutTimerTimer();
  p.Take();
  uint16_t key = vk::F12;
  c.DispatchKey(key);
  key = vk::Subtract;
  c.DispatchKey(key);  // Large to Medium
  EXPECT_EQ(p.Take(), (Lines{"about ends", "size Medium"}));
  EXPECT_FALSE(c.AboutShown());
  EXPECT_EQ(c.AboutLines(), 0);
}

}  // namespace
}  // namespace nimbrel
