#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "KeyTable.h"
#include "cli/CliSession.h"
#include "cli/KeyNames.h"
#include "core/KeyCodes.h"
#include "core/TypedKeys.h"

namespace nimbrel {
namespace {

// A keyboard layout as a table: what each key types without and with Shift
// (0: nothing, as for a dead key), and what its keypad's decimal key types.
struct Layout {
  std::u32string digits;         // "0".."9" without Shift
  std::u32string shiftedDigits;  // "0".."9" with Shift
  std::map<uint16_t, std::pair<char32_t, char32_t>> keys;
  char32_t keypadDecimal;

  char32_t Type(uint16_t code, bool shift) const {
    if (code >= '0' && code <= '9') return (shift ? shiftedDigits : digits)[code - '0'];
    if (code >= vk::Numpad0 && code <= vk::Divide) return UsKeyboard(code, false);  // (kept whatever they type)
    const auto key = keys.find(code);
    if (key == keys.end()) return 0;
    return shift ? key->second.second : key->second.first;
  }
};

// German, with the codes Windows gives its keys.
const Layout kGerman{
    U"0123456789", U"=!\"\u00A7$%&/()",
    {{vk::OemPlus, {U'+', U'*'}}, {vk::OemMinus, {U'-', U'_'}}, {vk::OemComma, {U',', U';'}},
     {vk::OemPeriod, {U'.', U':'}}, {vk::Oem2, {U'#', U'\''}}, {vk::Oem4, {U'\u00DF', U'?'}},
     {vk::Oem5, {0, U'\u00B0'}}},  // ^ is a dead key
    U','};
// German as Wine 8 names the keys (measured): the + key is VK_OEM_6, the -
// key VK_OEM_2 (the US slash's code), the # key VK_OEM_5.
const Layout kGermanUnderWine{
    U"0123456789", U"=!\"\u00A7$%&/()",
    {{vk::Oem6, {U'+', U'*'}}, {vk::Oem2, {U'-', U'_'}}, {vk::Oem5, {U'#', U'\''}},
     {vk::OemComma, {U',', U';'}}, {vk::OemPeriod, {U'.', U':'}}},
    U','};
// French: digits with Shift, - on the 6 key, * a key of its own, / on
// Shift+:, the point on Shift+;.
const Layout kFrench{
    U"\u00E0&\u00E9\"'(-\u00E8_\u00E7", U"0123456789",
    {{vk::Oem4, {U')', U'\u00B0'}}, {vk::OemPlus, {U'=', U'+'}}, {vk::Oem6, {0, 0}},
     {vk::Oem1, {U'$', U'\u00A3'}}, {vk::Oem3, {U'\u00F9', U'%'}}, {vk::Oem5, {U'*', U'\u00B5'}},
     {vk::OemComma, {U',', U'?'}}, {vk::OemPeriod, {U';', U'.'}}, {vk::Oem2, {U':', U'/'}}},
    U'.'};

// The keys (tokens as nimbrel-cli takes them, "shift+" for the Shift key)
// typed on that layout; the display's Y and X lines after them.
Lines TypeOn(const Layout& layout, const std::string& keys) {
  CliSession s;
  ForEachKey(keys, [&](const KeyPress& key) {
    uint16_t code = key.code;
    const TypedKey typed{layout.Type(code, key.shift), layout.keypadDecimal};
    s.calc.Guarded([&] { s.calc.FormKeyDown(code, typed); });
    s.calc.FormKeyUp(key.code);
  });
  Lines out = s.TakeEvents();
  for (auto& line : s.Display(2)) out.push_back(line);
  return out;
}

struct Row {
  const char* keys;
  Lines expected;
};
void RunOn(const Layout& layout, const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.keys);
    EXPECT_EQ(TypeOn(layout, row.keys), row.expected);
  }
}

TEST(TypedKeys, German) {
  RunOn(kGerman, {
      {"6 enter 7 shift+VK_OEM_PLUS", {"Y: 0.0000", "X: 42.0000"}},   // * is Shift and the + key
      {"3 enter 4 VK_OEM_PLUS", {"Y: 0.0000", "X: 7.0000"}},          // + alone
      {"8 enter 2 shift+7", {"Y: 0.0000", "X: 4.0000"}},              // / is Shift+7: no 7
      {"9 enter 4 VK_OEM_MINUS", {"Y: 0.0000", "X: 5.0000"}},
      {"2 enter 3 7", {"Y: 2.0000", "X: 37"}},                        // 7 alone is the digit
      {"6 enter 7 shift+8", {"Y: 6.0000", "X: 78"}},                  // ( : the digit key, not a product
      {"2 enter 3 shift+VK_OEM_MINUS", {"Y: 2.0000", "X: 3"}},        // _ means nothing
      {"3 VK_OEM_COMMA 5", {"Y: 0.0000", "X: 3.5"}},                  // the decimal comma
      {"3 VK_OEM_PERIOD 5", {"Y: 0.0000", "X: 3.5"}},                 // and the point
      {"3 shift+VK_OEM_COMMA 5", {"Y: 0.0000", "X: 35"}},             // ; means nothing
      {"6 enter 7 VK_MULTIPLY", {"Y: 0.0000", "X: 42.0000"}},         // the keypad as ever
      {"3 VK_DECIMAL 5", {"Y: 0.0000", "X: 3.5"}},
      {"1 0 0 VK_OEM_5", {"Y: 0.0000", "X: 2.0000"}},                 // the dead ^ keeps its code: Log
  });
  RunOn(kGermanUnderWine, {
      {"6 enter 7 shift+VK_OEM_6", {"Y: 0.0000", "X: 42.0000"}},
      {"3 enter 4 VK_OEM_6", {"Y: 0.0000", "X: 7.0000"}},
      {"9 enter 4 VK_OEM_2", {"Y: 0.0000", "X: 5.0000"}},             // the US slash's code, typing -
      {"8 enter 2 shift+7", {"Y: 0.0000", "X: 4.0000"}},
      {"1 0 0 VK_OEM_5", {"Y: 0.0000", "X: 2.0000"}},                 // # keeps its code: Log
  });
}

TEST(TypedKeys, French) {
  RunOn(kFrench, {
      {"shift+6 enter shift+7 VK_OEM_5", {"Y: 0.0000", "X: 42.0000"}},  // * has a key of its own
      {"8 enter 2 shift+VK_OEM_2", {"Y: 0.0000", "X: 4.0000"}},       // / is Shift and the : key
      {"8 enter 2 VK_OEM_2", {"Y: 8.0000", "X: 2"}},                  // : means nothing
      {"3 enter 4 shift+VK_OEM_PLUS", {"Y: 0.0000", "X: 7.0000"}},
      {"9 enter 4 6", {"Y: 0.0000", "X: 5.0000"}},                    // - is on the 6 key
      {"9 enter shift+4 shift+6", {"Y: 9.0000", "X: 46"}},            // digits typed with Shift
      {"9 enter 4 1 shift+8", {"Y: 9.0000", "X: 418"}},               // & and the rest: their digits
      {"3 shift+VK_OEM_PERIOD 5", {"Y: 0.0000", "X: 3.5"}},           // the point is Shift+;
      {"3 VK_OEM_PERIOD 5", {"Y: 0.0000", "X: 35"}},                  // ; means nothing
      {"3 VK_OEM_COMMA 5", {"Y: 0.0000", "X: 35"}},                   // a comma, but the keypad's is a point
      {"VK_F12 shift+VK_OEM_PLUS", {"options", "Y: 0.0000", "X: 0.0000"}},  // the shifted + as ever
  });
}

// On a US keyboard every key means what it meant when four keys were
// translated by their US places (Shift+= adds, - subtracts, Shift+8
// multiplies, / divides), but the point, which is now the decimal point.
TEST(TypedKeys, UsKeyboardKeepsEveryCombinationButThePoint) {
  auto byPlace = [](uint16_t key, bool shift) {
    if (key == vk::OemPlus && shift) key = vk::Add;
    if (key == vk::OemMinus && !shift) key = vk::Subtract;
    if (key == '8' && shift) key = vk::Multiply;
    if (key == vk::Oem2 && !shift) key = vk::Divide;
    return key;
  };
  int changed = 0;
  for (int code = 1; code < 256; ++code) {
    for (bool shift : {false, true}) {
      const auto key = static_cast<uint16_t>(code);
      const uint16_t now = TypedKeyCode(key, {UsKeyboard(key, shift), U'.'});
      if (key == vk::OemPeriod && !shift) {
        EXPECT_EQ(now, vk::Decimal);
        ++changed;
        continue;
      }
      EXPECT_EQ(now, byPlace(key, shift)) << "code " << code << (shift ? " with Shift" : "");
    }
  }
  EXPECT_EQ(changed, 1);
}

TEST(TypedKeys, TheRule) {
  struct {
    uint16_t code;
    char32_t typed, keypadDecimal;
    uint16_t dispatched;
  } const cases[] = {
      {vk::Oem4, U'\u00D7', U'.', vk::Multiply},   // × − ÷ as well
      {vk::Oem6, U'\u00F7', U'.', vk::Divide},
      {vk::Oem7, U'\u2212', U'.', vk::Subtract},
      {vk::OemComma, U',', U',', vk::Decimal},
      {vk::OemComma, U',', U'.', vk::OemComma},
      {vk::OemComma, U',', 0, vk::OemComma},       // a keypad that types nothing: no comma
      {'7', U'/', U'.', vk::Divide},
      {'7', U'7', U'.', '7'},
      {'A', U'a', U'.', 'A'},
      {vk::Oem5, 0, U'.', vk::Oem5},               // a dead key types nothing yet
      {vk::Numpad0 + 5, U'5', U'.', vk::Numpad0 + 5},
      {vk::Decimal, U',', U',', vk::Decimal},      // the keypad keeps its codes whatever they type
      {vk::Multiply, U'+', U'.', vk::Multiply},
      {vk::Divide, U'.', U'.', vk::Divide},
      {vk::Return, U'\r', U'.', vk::Return},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TypedKeyCode(c.code, {c.typed, c.keypadDecimal}), c.dispatched)
        << "code " << c.code << " typing U+" << std::hex << static_cast<uint32_t>(c.typed);
  }
}

TEST(TypedKeys, FaceKeysLightByTheCodeAsItArrived) {
  // German / is Shift+7: the Seven key lights, as Shift+8 lights Eight on a
  // US keyboard, while it divides.
  CliSession s;
  s.calc.engine.Push(8);
  s.calc.engine.Push(2);
  std::vector<std::string> lit;
  s.calc.face.onChange = [&](int changed) {
    if (s.calc.face.Key(changed).Down) lit.emplace_back(kFaceKeys[changed].name);
  };
  uint16_t key = '7';
  s.calc.FormKeyDown(key, TypedKey{U'/', U','});
  EXPECT_EQ(key, vk::Divide);
  EXPECT_EQ(lit, Lines{"Seven"});
  key = vk::OemPeriod;
  s.calc.FormKeyDown(key, TypedKey{U'.', U','});
  EXPECT_EQ(key, vk::Decimal);
  EXPECT_EQ(lit, Lines{"Seven"}) << "the main keyboard's point has no face key of its own";
}

}  // namespace
}  // namespace nimbrel
