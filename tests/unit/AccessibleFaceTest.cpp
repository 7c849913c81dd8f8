// What a screen reader is told: the items worked out from the calculator's
// state, and what changes from one look to the next.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "app/AccessibleFace.h"
#include "app/Calculator.h"
#include "app/NullPlatform.h"
#include "cli/KeyNames.h"
#include "core/KeyCodes.h"

namespace nimbrel {
namespace {

// The calculator behind a platform that lays the face out as the window
// does: the keys shown in Large only, hidden during About.
class Face : public NullPlatform {
 public:
  Face() { calc.ChooseSize(WindowSize::Large); }

  void ApplySize(WindowSize size) override { calc.face.ShowFaceKeys(size == WindowSize::Large); }
  void ShowAbout() override { calc.face.ShowFaceKeys(false); }

  // Keys as nimbrel-cli names them, each down and up as the window sees it.
  void Press(const std::string& keys) {
    std::istringstream tokens(keys);
    std::string token;
    while (tokens >> token) {
      const auto key = ParseKey(token);
      ASSERT_TRUE(key) << token;
      calc.Guarded([&] {
        uint16_t code = key->code;
        calc.FormKeyDown(code, key->shift);
      });
      calc.FormKeyUp(key->code);
    }
  }

  std::vector<AccessibleItem> Items() const { return AccessibleItems(calc); }
  const AccessibleItem* Item(int id) const {
    items_ = Items();
    for (const AccessibleItem& item : items_) {
      if (item.id == id) return &item;
    }
    return nullptr;
  }
  const AccessibleItem& Key(std::string_view name) const {
    const AccessibleItem* item = Item(AccessibleKeyId(FaceKeyIndex(name)));
    if (!item) throw std::runtime_error("no item for key " + std::string(name));
    return *item;
  }
  std::string Value() const {
    const AccessibleItem* display = Item(kAccessibleDisplay);
    return display ? display->value : "(no display)";
  }

  Calculator calc{*this};

 private:
  mutable std::vector<AccessibleItem> items_;
};

std::vector<std::string> Names(const std::vector<AccessibleItem>& items, AccessibleRole role) {
  std::vector<std::string> names;
  for (const AccessibleItem& item : items) {
    if (item.role == role) names.push_back(item.name);
  }
  return names;
}

TEST(AccessibleFace, TheLargeFaceIsTheDisplayAndThirtyButtons) {
  Face f;
  const auto items = f.Items();
  ASSERT_GE(items.size(), 2u);
  EXPECT_EQ(items[0].name, "Quarvel Calculator");
  EXPECT_EQ(items[0].role, AccessibleRole::Client);
  EXPECT_EQ(items[1].name, "Display");
  EXPECT_EQ(items[1].role, AccessibleRole::StaticText);
  EXPECT_EQ(items[1].value, "X: 0.0000");
  EXPECT_TRUE(items[1].focusable);
  // The display's one other line, Y, is its child; the keys are the client's.
  EXPECT_EQ(Names(items, AccessibleRole::StaticText), (std::vector<std::string>{"Display", "Y: 0.0000"}));
  EXPECT_EQ(items[2].parent, kAccessibleDisplay);
  const std::vector<std::string> buttons = Names(items, AccessibleRole::PushButton);
  EXPECT_EQ(buttons, (std::vector<std::string>{
                         "log", "1 over x", "square root", "sin", "cos", "tan", "ln", "change sign", "exponent",
                         "x exchange y", "store", "drop", "recall", "Shift", "divide", "multiply", "minus", "7", "8",
                         "9", "plus", "4", "5", "6", "1", "2", "3", "Enter", "0", "point"}));
  for (const AccessibleItem& item : items) {
    if (item.role != AccessibleRole::PushButton) continue;
    EXPECT_EQ(item.parent, kAccessibleClient) << item.name;
    EXPECT_EQ(item.action, "Press") << item.name;
    EXPECT_FALSE(item.shortcut.empty()) << item.name;
  }
}

TEST(AccessibleFace, ShortcutsAreTheKeyboardsKeys) {
  Face f;
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"SIN", "Insert"},  {"Shift", "F12"}, {"Exp", "Page Down"}, {"Log", "Backslash"},
      {"Seven", "7"},     {"Zero", "0"},    {"Enter", "Enter"},   {"Decimal", "Num ."},
      {"Inverse", "Scroll Lock"}, {"TAN", "Page Up"}, {"PopOff", "Down"}, {"Divide", "/"},
      {"Root", "Pause"},  {"COS", "Home"},  {"Ln", "Delete"},     {"Neg", "End"},
      {"Exchange", "Up"}, {"Store", "Left"}, {"Recall", "Right"}, {"Multiply", "*"},
      {"Subtract", "-"},  {"Add", "+"},
  };
  for (const auto& [key, shortcut] : cases) EXPECT_EQ(f.Key(key).shortcut, shortcut) << key;
}

TEST(AccessibleFace, TheShiftRenamesTheDualLegendKeys) {
  struct Case {
    const char* key;
    const char* plain;
    const char* shifted;
  };
  const Case cases[] = {
      {"SIN", "sin", "arcsin"},          {"COS", "cos", "arccos"},        {"TAN", "tan", "arctan"},
      {"Log", "log", "10 to the x"},     {"Inverse", "1 over x", "y to the x"},
      {"Root", "square root", "x squared"}, {"Ln", "ln", "e to the x"}, {"Neg", "change sign", "pi"},
      {"Exp", "exponent", "factorial"},  {"Exchange", "x exchange y", "last x"},
      {"Zero", "0", "help"},             {"Enter", "Enter", "about"},     {"Add", "plus", "options"},
      {"Subtract", "minus", "size"},     {"Divide", "divide", "on top"},
      {"PopOff", "drop", "roll down"},
  };
  Face f;
  for (const Case& c : cases) EXPECT_EQ(f.Key(c.key).name, c.plain) << c.key;
  EXPECT_FALSE(f.Key("Shift").pressed);
  f.Press("VK_F12");
  for (const Case& c : cases) EXPECT_EQ(f.Key(c.key).name, c.shifted) << c.key;
  EXPECT_TRUE(f.Key("Shift").pressed);
  EXPECT_EQ(f.Key("Shift").name, "Shift");
  // A key without a second legend does nothing while shifted.
  for (const char* key : {"Store", "Recall", "Multiply", "Seven", "One", "Decimal"}) {
    EXPECT_TRUE(f.Key(key).unavailable) << key;
  }
  EXPECT_FALSE(f.Key("Shift").unavailable);
  EXPECT_FALSE(f.Key("SIN").unavailable);
  f.Press("VK_INSERT");  // arcsin, and the shift is over
  EXPECT_EQ(f.Key("SIN").name, "sin");
  EXPECT_FALSE(f.Key("Shift").pressed);
  EXPECT_FALSE(f.Key("Seven").unavailable);
}

TEST(AccessibleFace, EveryLegendIsSaidInWords) {
  for (const FaceKey& key : kFaceKeys) {
    for (std::string_view legend : {key.legend1, key.legend2}) {
      if (legend.empty()) continue;
      const std::string_view words = LegendInWords(legend);
      // Said as written only when it is a plain number.
      if (words == legend) {
        EXPECT_TRUE(legend.size() == 1 && legend[0] >= '0' && legend[0] <= '9') << key.name << " " << legend;
      }
      EXPECT_TRUE(std::all_of(words.begin(), words.end(), [](unsigned char c) { return c < 0x80; }))
          << key.name << ": " << words;
    }
  }
  EXPECT_EQ(LegendInWords("R\u2193"), "roll down");
  EXPECT_EQ(LegendInWords("no such legend"), "no such legend");
}

TEST(AccessibleFace, DigitsOutsideTheBaseAreUnavailable) {
  struct Case {
    int base;
    std::vector<std::string> unavailable;
  };
  const Case cases[] = {
      {8, {"8", "9"}},
      {10, {}},
      {16, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.base);
    Face f;
    f.calc.display.options.Base = static_cast<int16_t>(c.base);
    std::vector<std::string> unavailable;
    for (const AccessibleItem& item : f.Items()) {
      if (item.unavailable) unavailable.push_back(item.name);
    }
    EXPECT_EQ(unavailable, c.unavailable);
  }
}

TEST(AccessibleFace, TheValueIsTheXLineAsShown) {
  struct Case {
    const char* keys;
    int base;
    const char* value;
  };
  const Case cases[] = {
      {"2 enter 3 +", 10, "X: 5.0000"},
      {"2 enter 3", 10, "X: 3"},             // being typed: as typed
      {"1 2 . 5", 10, "X: 12.5"},
      {"2 enter", 10, "X: 2.0000"},
      {"2 VK_BACK", 10, "X: 0.0000"},        // typed away
      {"F F enter 1 +", 16, "X: 100.0000"},
      {"A B", 16, "X: AB"},
      {"7 enter 1 +", 8, "X: 10.0000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    Face f;
    f.calc.display.options.Base = static_cast<int16_t>(c.base);
    f.Press(c.keys);
    EXPECT_EQ(f.Value(), c.value);
  }
}

// Y first, as a screen reader walks the display's children.
TEST(AccessibleFace, TheDisplaysChildrenAreItsOtherLinesInEachSize) {
  Face f;
  f.Press("1 enter 2 enter 3");
  const auto lines = [&] {
    std::vector<std::string> out;
    for (const AccessibleItem& item : f.Items()) {
      if (item.parent == kAccessibleDisplay) out.push_back(item.name);
    }
    return out;
  };
  EXPECT_EQ(lines(), (std::vector<std::string>{"Y: 2.0000"}));
  f.calc.ChooseSize(Platform::WindowSize::Medium);
  EXPECT_EQ(lines(), (std::vector<std::string>{"Y: 2.0000", "Z: 1.0000", "W: 0.0000", "4: 0.0000", "5: 0.0000",
                                               "6: 0.0000", "7: 0.0000", "8: 0.0000", "9: 0.0000"}));
  EXPECT_EQ(Names(f.Items(), AccessibleRole::PushButton).size(), 0u) << "Medium shows no keys";
  f.calc.ChooseSize(Platform::WindowSize::Small);
  EXPECT_EQ(lines(), (std::vector<std::string>{"Y: 2.0000"}));
  EXPECT_EQ(Names(f.Items(), AccessibleRole::PushButton).size(), 0u) << "Small shows no keys";
  EXPECT_EQ(f.Value(), "X: 3");
}

TEST(AccessibleFace, DuringAboutTheClientIsEmpty) {
  Face f;
  f.Press("7 VK_F12 enter");  // shift and Enter: About
  ASSERT_TRUE(f.calc.AboutShown());
  const auto items = f.Items();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].name, "Quarvel Calculator");
  f.calc.Image1Click();
  EXPECT_EQ(f.Value(), "X: 7") << "About ends no entry";
  EXPECT_EQ(Names(f.Items(), AccessibleRole::PushButton).size(), 30u);
}

// Each key of 2 Enter 3 + changes the value once: one thing for a screen
// reader to say after each key.
TEST(AccessibleFace, EachKeyChangesTheValueOnce) {
  Face f;
  AccessibleFace face;
  face.Look(f.calc);
  EXPECT_TRUE(face.Changes().empty()) << "the first look is what the next are compared with";
  const std::vector<std::pair<const char*, const char*>> steps = {
      {"2", "X: 2"}, {"enter", "X: 2.0000"}, {"3", "X: 3"}, {"+", "X: 5.0000"}};
  for (const auto& [key, value] : steps) {
    SCOPED_TRACE(key);
    f.Press(key);
    face.Look(f.calc);
    const auto& changes = face.Changes();
    EXPECT_EQ(std::count(changes.begin(), changes.end(), AccessibleChangeAt{kAccessibleDisplay, AccessibleChange::Value}),
              1);
    EXPECT_EQ(f.Value(), value);
    for (const AccessibleChangeAt& change : changes) {
      EXPECT_TRUE(change.kind == AccessibleChange::Value || change.id == AccessibleLineId(1))
          << "only the value and the Y line change, not " << change.id;
    }
  }
  face.Look(f.calc);
  EXPECT_TRUE(face.Changes().empty()) << "nothing pressed, nothing changed";
}

TEST(AccessibleFace, TheShiftChangesNamesAndStates) {
  Face f;
  AccessibleFace face;
  face.Look(f.calc);
  f.Press("VK_F12");
  face.Look(f.calc);
  std::vector<int> renamed, restated;
  for (const AccessibleChangeAt& change : face.Changes()) {
    if (change.kind == AccessibleChange::Name) renamed.push_back(FaceKeyOfAccessible(change.id));
    if (change.kind == AccessibleChange::State) restated.push_back(FaceKeyOfAccessible(change.id));
    EXPECT_NE(change.kind, AccessibleChange::Value);
  }
  std::vector<int> dual;
  for (auto name : kDualLegendKeys) dual.push_back(FaceKeyIndex(name));
  std::sort(dual.begin(), dual.end());
  EXPECT_EQ(renamed, dual);
  // Shift pressed, and every key without a second legend unavailable.
  EXPECT_EQ(restated.size(), 1u + (kFaceKeyCount - kDualLegendCount - 1));
  EXPECT_NE(std::find(restated.begin(), restated.end(), FaceKeyIndex("Shift")), restated.end());
}

TEST(AccessibleFace, LayoutsChangeTheChildren) {
  Face f;
  AccessibleFace face;
  face.Look(f.calc);
  const auto kinds = [&] {
    std::vector<std::pair<int, AccessibleChange>> out;
    for (const AccessibleChangeAt& c : face.Changes()) out.push_back({c.id, c.kind});
    return out;
  };
  using C = AccessibleChange;
  f.calc.ChooseSize(Platform::WindowSize::Medium);  // keys go, lines come
  face.Look(f.calc);
  EXPECT_EQ(kinds(), (std::vector<std::pair<int, C>>{{kAccessibleClient, C::Children}, {kAccessibleDisplay, C::Children}}));
  f.calc.ChooseSize(Platform::WindowSize::Small);  // lines go
  face.Look(f.calc);
  EXPECT_EQ(kinds(), (std::vector<std::pair<int, C>>{{kAccessibleDisplay, C::Children}}));
  f.calc.AboutClick();  // the display goes
  face.Look(f.calc);
  EXPECT_EQ(kinds(), (std::vector<std::pair<int, C>>{{kAccessibleClient, C::Children}}));
  f.calc.Image1Click();
  face.Look(f.calc);
  EXPECT_EQ(kinds(), (std::vector<std::pair<int, C>>{{kAccessibleClient, C::Children}}));
}

TEST(AccessibleFace, ItemIdsNameTheirKeys) {
  for (int i = 0; i < kFaceKeyCount; ++i) EXPECT_EQ(FaceKeyOfAccessible(AccessibleKeyId(i)), i);
  for (int id : {kAccessibleClient, kAccessibleDisplay, AccessibleLineId(1), AccessibleLineId(9),
                 AccessibleKeyId(kFaceKeyCount)}) {
    EXPECT_EQ(FaceKeyOfAccessible(id), -1) << id;
  }
}

}  // namespace
}  // namespace nimbrel
