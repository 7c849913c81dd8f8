#include "app/AccessibleFace.h"

#include <algorithm>
#include <utility>

#include "app/Calculator.h"
#include "core/KeyCodes.h"
#include "display/EntryLine.h"

namespace nimbrel {

namespace {

// Every legend the face shows, as words: symbols spelt out, abbreviations
// in small letters so that they are said as words, not letter by letter.
constexpr std::pair<std::string_view, std::string_view> kLegendWords[] = {
    {"LOG", "log"},
    {"10\u02E3", "10 to the x"},
    {"1/x", "1 over x"},
    {"y\u02E3", "y to the x"},
    {"\u221Ax", "square root"},
    {"x\u00B2", "x squared"},
    {"SIN", "sin"},
    {"ASIN", "arcsin"},
    {"COS", "cos"},
    {"ACOS", "arccos"},
    {"TAN", "tan"},
    {"ATAN", "arctan"},
    {"LN", "ln"},
    {"e\u02E3", "e to the x"},
    {"\u00B1", "change sign"},
    {"\u03C0", "pi"},
    {"E", "exponent"},
    {"N!", "factorial"},
    {"x\u21C4y", "x exchange y"},
    {"LAST X", "last x"},
    {"STO", "store"},
    {"\u2193", "drop"},
    {"R\u2193", "roll down"},
    {"RCL", "recall"},
    {"\u00F7", "divide"},
    {"ON TOP", "on top"},
    {"\u00D7", "multiply"},
    {"\u2212", "minus"},
    {"SIZE", "size"},
    {"+", "plus"},
    {"OPTIONS", "options"},
    {"ENTER", "Enter"},
    {"ABOUT", "about"},
    {"HELP", "help"},
    {".", "point"},
};

// The keyboard's key for each code a face key's click sends.
constexpr std::pair<uint16_t, std::string_view> kShortcuts[] = {
    {vk::Oem5, "Backslash"},
    {vk::Scroll, "Scroll Lock"},
    {vk::Pause, "Pause"},
    {vk::Insert, "Insert"},
    {vk::Home, "Home"},
    {vk::Prior, "Page Up"},
    {vk::Delete, "Delete"},
    {vk::End, "End"},
    {vk::Next, "Page Down"},
    {vk::Up, "Up"},
    {vk::Left, "Left"},
    {vk::Down, "Down"},
    {vk::Right, "Right"},
    // The Shift key sends Num Lock; F12 shifts as well and leaves the
    // keyboard's Num Lock light alone.
    {vk::NumLock, "F12"},
    {vk::Divide, "/"},
    {vk::Multiply, "*"},
    {vk::Subtract, "-"},
    {vk::Add, "+"},
    {vk::Return, "Enter"},
    {vk::Decimal, "Num ."},
};
constexpr std::string_view kDigitNames[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};

// Lines the display shows in each size: Medium's tall display all ten, the
// others two (the display is 185 and 41 design pixels high).
int VisibleLines(const Calculator& calc) {
  return StackWindow::LinesForHeight(calc.CheckedSize() == Platform::WindowSize::Medium ? 185 : 41);
}

// Whether pressing face key i now would do nothing: a digit the base has
// no use for, or a key without a second legend while the shift is on.
bool KeyUnavailable(const Calculator& calc, int i) {
  const FaceKey& key = kFaceKeys[i];
  const bool shifted = calc.face.ShiftOn();
  if (key.name == "Shift") return false;
  if (shifted) return key.legend2.empty();
  uint16_t code = key.sends;
  const bool digit = (code >= vk::Numpad0 && code <= vk::Numpad9) || code == vk::Decimal;
  if (code >= vk::Numpad0 && code <= vk::Numpad9) code = static_cast<uint16_t>(code - 48);
  return digit && !IsEntryDigit(code, calc.display.options.Base);
}

AccessibleItem KeyItem(const Calculator& calc, int i) {
  const FaceKey& key = kFaceKeys[i];
  AccessibleItem item;
  item.id = AccessibleKeyId(i);
  item.parent = kAccessibleClient;
  item.role = AccessibleRole::PushButton;
  const std::string_view legend = calc.face.Key(i).CurrentGlyph == 2 ? key.legend2 : key.legend1;
  item.name = legend.empty() ? key.name : LegendInWords(legend);  // the Shift key has no legend
  item.shortcut = ShortcutOf(i);
  item.action = "Press";
  item.pressed = key.name == "Shift" && calc.face.ShiftOn();
  item.unavailable = KeyUnavailable(calc, i);
  return item;
}

}  // namespace

int FaceKeyOfAccessible(int id) {
  const int i = id - AccessibleKeyId(0);
  return i >= 0 && i < kFaceKeyCount ? i : -1;
}

std::string_view LegendInWords(std::string_view legend) {
  for (const auto& [shown, said] : kLegendWords) {
    if (shown == legend) return said;
  }
  return legend;
}

std::string_view ShortcutOf(int faceKey) {
  const uint16_t code = kFaceKeys[faceKey].sends;
  if (code >= vk::Numpad0 && code <= vk::Numpad9) return kDigitNames[code - vk::Numpad0];
  for (const auto& [sends, name] : kShortcuts) {
    if (sends == code) return name;
  }
  return {};
}

std::vector<AccessibleItem> AccessibleItems(const Calculator& calc) {
  std::vector<AccessibleItem> items;
  AccessibleItem client;
  client.id = kAccessibleClient;
  client.name = "Quarvel Calculator";
  items.push_back(client);
  if (calc.AboutShown()) return items;  // About's picture and lines only

  AccessibleItem display;
  display.id = kAccessibleDisplay;
  display.parent = kAccessibleClient;
  display.role = AccessibleRole::StaticText;
  display.name = "Display";
  display.value = calc.display.Line(0);
  display.focusable = true;
  items.push_back(display);
  const int lines = VisibleLines(calc);
  for (int j = 1; j < lines; ++j) {
    AccessibleItem line;
    line.id = AccessibleLineId(j);
    line.parent = kAccessibleDisplay;
    line.role = AccessibleRole::StaticText;
    line.name = calc.display.Line(j);
    items.push_back(line);
  }
  for (int i = 0; i < kFaceKeyCount; ++i) {
    if (calc.face.Key(i).Visible) items.push_back(KeyItem(calc, i));
  }
  return items;
}

namespace {

const AccessibleItem* Find(const std::vector<AccessibleItem>& items, int id) {
  const auto it = std::find_if(items.begin(), items.end(), [id](const AccessibleItem& i) { return i.id == id; });
  return it == items.end() ? nullptr : &*it;
}

std::vector<int> ChildrenOf(const std::vector<AccessibleItem>& items, int id) {
  std::vector<int> children;
  for (const AccessibleItem& item : items) {
    if (item.parent == id) children.push_back(item.id);
  }
  return children;
}

}  // namespace

void AccessibleFace::Look(const Calculator& calc) {
  std::vector<AccessibleItem> now = AccessibleItems(calc);
  changes_.clear();
  if (looked_) {
    for (const AccessibleItem& item : now) {
      const AccessibleItem* before = Find(items_, item.id);
      if (!before) continue;  // new: its parent's Children change says so
      if (ChildrenOf(now, item.id) != ChildrenOf(items_, item.id)) {
        changes_.push_back({item.id, AccessibleChange::Children});
      }
      if (before->name != item.name) changes_.push_back({item.id, AccessibleChange::Name});
      if (before->value != item.value) changes_.push_back({item.id, AccessibleChange::Value});
      if (before->pressed != item.pressed || before->unavailable != item.unavailable) {
        changes_.push_back({item.id, AccessibleChange::State});
      }
    }
  }
  items_ = std::move(now);
  looked_ = true;
}

}  // namespace nimbrel
