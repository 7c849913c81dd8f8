// Undo and redo, as a user meets them: key sequences with Ctrl+Z and
// Ctrl+Y among them and the display they leave.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "KeyTable.h"
#include "app/Calculator.h"
#include "app/History.h"
#include "cli/CliSession.h"
#include "cli/KeyNames.h"
#include "core/KeyCodes.h"

namespace nimbrel {
namespace {

std::string Repeat(const std::string& keys, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += keys + " ";
  return out;
}

TEST(Undo, StepsBackAndForward) {
  RunTable({
      // An operation undone brings the number back as it was being typed.
      {"2 enter 3 + ctrl+Z", {"Y: 2.0000", "X: 3"}},
      {"2 enter 3 + ctrl+Z ctrl+Y", {"Y: 0.0000", "X: 5.0000"}},
      {"2 enter 3 + ctrl+Z ctrl+shift+Z", {"Y: 0.0000", "X: 5.0000"}},
      {"2 enter 3 + ctrl+Z ctrl+Y ctrl+Z", {"Y: 2.0000", "X: 3"}},
      {"2 enter 3 + ctrl+Z ctrl+Z", {"Y: 2.0000", "X: 2.0000"}},
      {"2 enter 3 + ctrl+Z ctrl+Z ctrl+Z", {"Y: 0.0000", "X: 2"}},
      {"2 enter 3 + ctrl+Z ctrl+Z ctrl+Z ctrl+Z", {"Y: 0.0000", "X: 0.0000"}},
      {"2 enter 3 + ctrl+Z ctrl+Z ctrl+Z ctrl+Z ctrl+Y ctrl+Y ctrl+Y ctrl+Y", {"Y: 0.0000", "X: 5.0000"}},
      // ... and typing goes on from there, within the number's own step.
      {"2 enter 3 + ctrl+Z 4", {"Y: 2.0000", "X: 34"}},
      {"2 enter 3 + ctrl+Z 4 ctrl+Z", {"Y: 2.0000", "X: 2.0000"}},
      {"2 enter 3 + ctrl+Z 4 *", {"Y: 0.0000", "X: 68.0000"}},
      // A typed number is one step, whatever keys typed it.
      {"1 2 3 ctrl+Z", {"Y: 0.0000", "X: 0.0000"}},
      {"1 2 . 5 VK_END VK_NEXT 3 VK_BACK VK_BACK ctrl+Z", {"Y: 0.0000", "X: 0.0000"}},
      {"1 2 . 5 VK_END VK_NEXT 3 ctrl+Z ctrl+Y", {"Y: 0.0000", "X: -12.5+e3"}},
      {"7 enter 1 2 3 ctrl+Z", {"Y: 7.0000", "X: 7.0000"}},
      // The stack's own moves.
      {"1 enter 2 VK_DOWN ctrl+Z", {"Y: 1.0000", "X: 2"}},
      {"1 enter 2 VK_UP ctrl+Z", {"Y: 1.0000", "X: 2"}},
      {"1 enter 2 VK_F12 VK_DOWN ctrl+Z", {"Y: 1.0000", "X: 2"}},
      {"1 enter 2 VK_F12 VK_DOWN ctrl+Z ctrl+Y", {"Y: 0.0000", "X: 1.0000"}},
      {"9 VK_PAUSE 4 VK_PAUSE ctrl+Z VK_F12 VK_UP", {"Y: 4.0000", "X: 9.0000"}},  // LastX comes back too
      // Change sign of a finished X is a step of its own, even of 0 (-0 is
      // another value, though it shows alike).
      {"5 enter VK_END ctrl+Z", {"Y: 5.0000", "X: 5.0000"}},
      {"VK_END ctrl+Z ctrl+Z", {"beep", "Y: 0.0000", "X: 0.0000"}},
      // Nothing to undo or redo: the default beep, nothing else.
      {"ctrl+Z", {"beep", "Y: 0.0000", "X: 0.0000"}},
      {"ctrl+Y", {"beep", "Y: 0.0000", "X: 0.0000"}},
      {"4 ctrl+Y", {"beep", "Y: 0.0000", "X: 4"}},
      // After undo and redo the shift is off.
      {"1 VK_F12 ctrl+Z", {"Y: 0.0000", "X: 0.0000"}},
      {"1 ctrl+Z VK_F12 ctrl+Y", {"Y: 0.0000", "X: 1"}},
      // Paste is a step.
      {"1 shift+VK_INSERT ctrl+Z", {"Y: 0.0000", "X: 1"}},
      {"1 shift+VK_INSERT ctrl+Z ctrl+Y", {"Y: 1.0000", "X: 42.0000"}},
  }, [](CliSession& s) { s.clipboard = "42"; });
}

TEST(Undo, ANewActionDropsTheRedoSteps) {
  RunTable({
      {"2 enter 3 + ctrl+Z 4 ctrl+Y", {"beep", "Y: 2.0000", "X: 34"}},
      {"2 enter 3 + ctrl+Z ctrl+Z 9 ctrl+Y", {"beep", "Y: 2.0000", "X: 9"}},
      {"5 enter ctrl+Z VK_END ctrl+Y", {"beep", "Y: 0.0000", "X: -5"}},
      {"1 enter 2 + ctrl+Z VK_F12 VK_END ctrl+Y", {"beep", "Y: 2.0000", "X: 3.1416"}},
      // A key that changes nothing is no action: the redo steps stay.
      {"2 enter 3 + ctrl+Z VK_SPACE VK_F12 VK_F12 ctrl+Y", {"Y: 0.0000", "X: 5.0000"}},
  });
}

TEST(Undo, RejectedOperationsFaultsAndRefusedKeysAreNoStep) {
  // Each undo here takes back the typed number before the failure: had the
  // failure been a step (it may change last X and end the entry), the
  // number would come back instead.
  RunTable({
      {"4 VK_END VK_PAUSE ctrl+Z", {"message Nimbrel.exe: sqrtl: DOMAIN error", "Y: 0.0000", "X: 0.0000"}},
      {"2 VK_F12 VK_INSERT ctrl+Z",
       {"message Quarvel Calculator: ASIN, Out of Range, Must be between -1 and 1", "Y: 0.0000", "X: 0.0000"}},
      {"1 enter 0 / ctrl+Z", {"error Floating point division by zero", "Y: 1.0000", "X: 1.0000"}},
      {"0 VK_SCROLL ctrl+Z", {"error Floating point division by zero", "Y: 0.0000", "X: 0.0000"}},
      {"2 . 5 VK_F12 VK_NEXT ctrl+Z", {"beep", "Y: 0.0000", "X: 0.0000"}},
      {"VK_NEXT ctrl+Z", {"beep", "beep", "Y: 0.0000", "X: 0.0000"}},           // no exponent without a number
      {"1 2 3 4 5 6 7 8 9 0 1 2 3 4 ctrl+Z", {"beep", "Y: 0.0000", "X: 0.0000"}},  // the 14th digit refused
      {"1 enter VK_SPACE ctrl+Z", {"Y: 0.0000", "X: 1"}},                        // no meaning
      {"1 enter VK_F12 5 ctrl+Z", {"Y: 0.0000", "X: 1"}},                        // no meaning shifted
  });
}

TEST(Undo, MemorySlotsValuesAndLetters) {
  CliSession s;
  // A store, then a letter bound in a second visit: each visit one step.
  EXPECT_EQ(Press(s, "7 VK_LEFT 3 enter VK_LEFT 3 K VK_ESCAPE"),
            (Lines{"memory STORE", "memory close", "memory STORE", "memory close", "Y: 0.0000", "X: 7.0000"}));
  EXPECT_EQ(Press(s, "ctrl+Z K"), (Lines{"Y: 0.0000", "X: 7.0000"})) << "the letter is undone: K recalls nothing";
  EXPECT_EQ(s.calc.engine.Memory[2].key, 0);
  EXPECT_EQ(Press(s, "ctrl+Z"), (Lines{"Y: 0.0000", "X: 7"})) << "the store undone, the number typed again";
  EXPECT_EQ(s.calc.engine.Memory[2].value, 0);
  EXPECT_EQ(Press(s, "ctrl+Y ctrl+Y K"), (Lines{"Y: 7.0000", "X: 7.0000"}));
  EXPECT_EQ(s.calc.engine.Memory[2].key, 'K');

  // A visit that changes nothing is no step: the undo takes back the 4.
  CliSession t;
  t.calc.engine.Memory[1].value = 6;
  EXPECT_EQ(Press(t, "4 VK_RIGHT VK_ESCAPE ctrl+Z"), (Lines{"memory RECALL", "memory close", "Y: 0.0000", "X: 0.0000"}));
  // A recall through the window is one; so is a recall by its letter.
  const Lines before = t.Display(10);
  EXPECT_EQ(Press(t, "VK_RIGHT 2 enter"), (Lines{"memory RECALL", "memory close", "Y: 0.0000", "X: 6.0000"}));
  EXPECT_EQ(Press(t, "ctrl+Z"), (Lines{"Y: 0.0000", "X: 0.0000"}));
  EXPECT_EQ(t.Display(10), before);
  // Recalling 0 onto a stack of zeros changes nothing: no step.
  EXPECT_EQ(Press(t, "VK_RIGHT 1 enter ctrl+Z"), (Lines{"memory RECALL", "memory close", "beep", "Y: 0.0000", "X: 0.0000"}));
}

TEST(Undo, ShortcutsComeBeforeTheSlotKeys) {
  RunTable({
      {"Z ctrl+Z", {"Y: 0.0000", "X: 0.0000"}},
      {"Z Z ctrl+Z", {"Y: 0.0000", "X: 9.0000"}},
      {"Y ctrl+Y", {"beep", "Y: 0.0000", "X: 8.0000"}},
  }, [](CliSession& s) {
    s.calc.engine.Memory[0] = {9, 'Z'};
    s.calc.engine.Memory[1] = {8, 'Y'};
  });
}

TEST(Undo, KeepsTheLastFiveHundredSteps) {
  // "1 +" is two steps and counts X up by one: 600 steps leave X at 300.
  CliSession s;
  EXPECT_EQ(Press(s, Repeat("1 +", 300)), (Lines{"Y: 0.0000", "X: 300.0000"}));
  // 500 undos take back steps 600 down to 101: 50 pairs stay done.
  EXPECT_EQ(Press(s, Repeat("ctrl+Z", 500)), (Lines{"Y: 0.0000", "X: 50.0000"}));
  EXPECT_FALSE(s.calc.CanUndo());
  EXPECT_EQ(Press(s, "ctrl+Z"), (Lines{"beep", "Y: 0.0000", "X: 50.0000"}));
  EXPECT_EQ(Press(s, Repeat("ctrl+Y", 500)), (Lines{"Y: 0.0000", "X: 300.0000"}));
  EXPECT_FALSE(s.calc.CanRedo());
  EXPECT_EQ(Press(s, "ctrl+Y"), (Lines{"beep", "Y: 0.0000", "X: 300.0000"}));
}

TEST(Undo, WhatTheMenuItemsShow) {
  CliSession s;
  EXPECT_FALSE(s.calc.CanUndo());
  EXPECT_FALSE(s.calc.CanRedo());
  Press(s, "1");
  EXPECT_TRUE(s.calc.CanUndo());
  EXPECT_FALSE(s.calc.CanRedo());
  Press(s, "ctrl+Z");
  EXPECT_FALSE(s.calc.CanUndo());
  EXPECT_TRUE(s.calc.CanRedo());
  Press(s, "ctrl+Y");
  EXPECT_TRUE(s.calc.CanUndo());
  EXPECT_FALSE(s.calc.CanRedo());
}

TEST(Undo, LeavesTheWindowAndTheDisplayOptionsAlone) {
  CliSession s;
  s.calc.display.options.Decs = 2;
  // The size cycle and On Top change nothing undo keeps, so they are no
  // steps: the 4 goes on with the 3, and one undo takes back both.
  EXPECT_EQ(Press(s, "3 VK_F12 - VK_F12 / 4 ctrl+Z ctrl+Z"),
            (Lines{"size Medium", "ontop", "beep", "Y: 0.00", "X: 0.00"}));
  EXPECT_TRUE(s.calc.window.Medium);
  EXPECT_TRUE(s.calc.window.OnTop);
  EXPECT_EQ(s.calc.display.options.Decs, 2);
  EXPECT_EQ(Press(s, "ctrl+Y"), (Lines{"Y: 0.00", "X: 34"}));
  EXPECT_TRUE(s.calc.window.Medium);
  EXPECT_TRUE(s.calc.window.OnTop);
}

// A platform whose options dialog is closed with OK on base 16 and three
// decimals.
class HexOptions : public FakePlatform, public OptionsEffects {
 public:
  void ShowOptions() override {
    FakePlatform::ShowOptions();
    OptionsDraft draft = calc->OptionsDraftNow();
    draft.baseItem = 2;
    draft.decs = "3";
    calc->ApplyOptionsDraft(draft, *this);
  }
  bool CreateStartupLink() override { return true; }
  void DeleteStartupLink() override {}
  void ShowTrayIcon(bool) override {}
  void ChangeHotKey(uint16_t) override {}
  void SetCalculatorKey(bool) override {}
  Calculator* calc = nullptr;
};

void Keys(Calculator& c, std::initializer_list<uint16_t> keys) {
  for (uint16_t key : keys) {
    c.Guarded([&] {
      if (!c.MenuShortcut(key, false, key == 'Z' || key == 'Y')) c.FormKeyDown(key, false);
    });
  }
}

TEST(Undo, TheOptionsDialogIsNoStep) {
  HexOptions p;
  Calculator c(p);
  p.calc = &c;
  Keys(c, {vk::F12, vk::Add});
  EXPECT_EQ(p.Take(), (Lines{"options"}));
  EXPECT_EQ(c.display.options.Base, 16);
  EXPECT_FALSE(c.CanUndo()) << "the dialog alone is no step";

  // A number typed in base 10 and finished by Enter, the base changed,
  // then the Enter undone: the number comes back as a finished value, not
  // as digits that the next key would read in base 16.
  HexOptions q;
  Calculator d(q);
  q.calc = &d;
  d.display.options.Base = 10;
  Keys(d, {'1', '2', vk::Return, vk::F12, vk::Add, 'Z'});
  EXPECT_EQ(d.display.options.Base, 16) << "undo leaves the options";
  EXPECT_EQ(d.display.options.Decs, 3);
  EXPECT_EQ(d.display.Lines(2), (Lines{"Y: 0.000", "X: C.000"}));
  Keys(d, {'3'});
  EXPECT_EQ(d.display.Lines(2), (Lines{"Y: C.000", "X: 3"}));
  Keys(d, {'Z', 'Z', 'Z'});
  EXPECT_EQ(q.Take(), (Lines{"options", "beep"})) << "the options were no step to undo";
}

TEST(Undo, FaceKeyClicksAreStepsLikeKeys) {
  FakePlatform p;
  Calculator c(p);
  for (const char* name : {"Seven", "Enter", "Shift", "PopOff"}) c.ClickFaceKey(FaceKeyIndex(name));
  EXPECT_EQ(c.display.Lines(2), (Lines{"Y: 0.0000", "X: 7.0000"})) << "rolled down";
  c.face.ShowShifted();
  c.Undo();
  EXPECT_EQ(c.display.Lines(2), (Lines{"Y: 7.0000", "X: 7.0000"}));
  EXPECT_FALSE(c.face.ShiftOn()) << "undo turns the shift off";
  c.Undo();
  EXPECT_EQ(c.display.Lines(2), (Lines{"Y: 0.0000", "X: 7"}));
  c.Undo();
  EXPECT_EQ(c.display.Lines(2), (Lines{"Y: 0.0000", "X: 0.0000"}));
  p.Take();
  c.Undo();
  EXPECT_EQ(p.Take(), (Lines{"beep"}));
}

TEST(Undo, HistoryKeepsItsLimit) {
  History h(3);
  CalcState state;
  for (int i = 1; i <= 5; ++i) {
    state.levels[0] = i;
    h.Record(state);
  }
  EXPECT_EQ(h.UndoSteps(), 3u);
  state.levels[0] = 6;
  std::vector<Extended> back;
  while (auto s = h.Undo(state)) {
    back.push_back(s->levels[0]);
    state = *s;
  }
  EXPECT_EQ(back, (std::vector<Extended>{5, 4, 3}));
  EXPECT_EQ(h.RedoSteps(), 3u);
  EXPECT_EQ(h.Redo(state)->levels[0], 4);
}

TEST(Undo, StatesCompareBitForBit) {
  CalcState a, b;
  EXPECT_TRUE(a.SameAs(b));
  b.levels[9] = -0.0L;
  EXPECT_FALSE(a.SameAs(b)) << "-0 is not 0";
  b = a;
  b.memory[8].key = 'Q';
  EXPECT_FALSE(a.SameAs(b));
  b = a;
  b.freshEntry = 0;
  EXPECT_FALSE(a.SameAs(b));
  b = a;
  b.entryBase = 16;
  EXPECT_TRUE(a.SameAs(b)) << "the base an entry was typed in is not part of the state";
}

}  // namespace
}  // namespace nimbrel
