#include "cli/KeyNames.h"

#include <charconv>

#include "core/KeyCodes.h"

namespace nimbrel {

namespace {

struct Named {
  std::string_view name;
  uint16_t code;
};

constexpr Named kNames[] = {
    {"VK_RETURN", vk::Return},     {"VK_ADD", vk::Add},           {"VK_SUBTRACT", vk::Subtract},
    {"VK_MULTIPLY", vk::Multiply}, {"VK_DIVIDE", vk::Divide},     {"VK_DECIMAL", vk::Decimal},
    {"VK_BACK", vk::Back},         {"VK_END", vk::End},           {"VK_NEXT", vk::Next},
    {"VK_PRIOR", vk::Prior},       {"VK_HOME", vk::Home},         {"VK_INSERT", vk::Insert},
    {"VK_DELETE", vk::Delete},     {"VK_UP", vk::Up},             {"VK_DOWN", vk::Down},
    {"VK_LEFT", vk::Left},         {"VK_RIGHT", vk::Right},       {"VK_OEM_5", vk::Oem5},
    {"VK_SCROLL", vk::Scroll},     {"VK_PAUSE", vk::Pause},       {"VK_NUMLOCK", vk::NumLock},
    {"VK_F12", vk::F12},           {"VK_OEM_PLUS", vk::OemPlus},  {"VK_OEM_MINUS", vk::OemMinus},
    {"VK_OEM_2", vk::Oem2},        {"VK_ESCAPE", vk::Escape},     {"VK_SPACE", vk::Space},
    {"VK_CONTROL", vk::Control},   {"VK_OEM_PERIOD", vk::OemPeriod}, {"VK_OEM_COMMA", vk::OemComma},
    {"VK_F10", vk::F10},           {"VK_APPS", vk::Apps},         {"VK_OEM_1", vk::Oem1},
    {"VK_OEM_3", vk::Oem3},        {"VK_OEM_4", vk::Oem4},        {"VK_OEM_6", vk::Oem6},
    {"VK_OEM_7", vk::Oem7},        {"VK_F11", vk::F11},
    // For people at a terminal.
    {"+", vk::Add}, {"-", vk::Subtract}, {"*", vk::Multiply}, {"/", vk::Divide},
    {".", vk::Decimal}, {"enter", vk::Return},
};

// Each operation by a plain name: the key that does it, with the face's
// shift it needs, and the modifiers of a menu shortcut.
using Shift = KeyPress::FaceShift;
struct Operation {
  std::string_view name;
  KeyPress press;
};
constexpr Operation kOperations[] = {
    {"sin", {vk::Insert, false, false, Shift::Off}},   {"cos", {vk::Home, false, false, Shift::Off}},
    {"tan", {vk::Prior, false, false, Shift::Off}},    {"asin", {vk::Insert, false, false, Shift::On}},
    {"acos", {vk::Home, false, false, Shift::On}},     {"atan", {vk::Prior, false, false, Shift::On}},
    {"ln", {vk::Delete, false, false, Shift::Off}},    {"exp", {vk::Delete, false, false, Shift::On}},
    {"log", {vk::Oem5, false, false, Shift::Off}},     {"alog", {vk::Oem5, false, false, Shift::On}},
    {"inv", {vk::Scroll, false, false, Shift::Off}},   {"pow", {vk::Scroll, false, false, Shift::On}},
    {"sqrt", {vk::Pause, false, false, Shift::Off}},   {"sq", {vk::Pause, false, false, Shift::On}},
    {"fact", {vk::Next, false, false, Shift::On}},     {"pi", {vk::End, false, false, Shift::On}},
    {"chs", {vk::End, false, false, Shift::Off}},      {"eex", {vk::Next, false, false, Shift::Off}},
    {"swap", {vk::Up, false, false, Shift::Off}},      {"drop", {vk::Down, false, false, Shift::Off}},
    {"rolldown", {vk::Down, false, false, Shift::On}}, {"rollup", {vk::F11, false, false, Shift::Any}},
    {"lastx", {vk::Up, false, false, Shift::On}},      {"sto", {vk::Left, false, false, Shift::Off}},
    {"rcl", {vk::Right, false, false, Shift::Off}},    {"copy", {vk::Insert, false, true, Shift::Any}},
    {"paste", {vk::Insert, true, false, Shift::Any}},  {"copystack", {vk::Insert, true, true, Shift::Any}},
    {"undo", {'Z', false, true, Shift::Any}},          {"redo", {'Y', false, true, Shift::Any}},
};

}  // namespace

std::optional<KeyPress> ParseKey(std::string_view token) {
  for (const Operation& op : kOperations) {
    if (op.name == token) return op.press;
  }
  KeyPress press;
  for (;;) {
    if (token.size() > 6 && token.substr(0, 6) == "shift+") {
      press.shift = true;
      token.remove_prefix(6);
    } else if (token.size() > 5 && token.substr(0, 5) == "ctrl+") {
      press.ctrl = true;
      token.remove_prefix(5);
    } else {
      break;
    }
  }
  if (token.size() == 1 && ((token[0] >= '0' && token[0] <= '9') || (token[0] >= 'A' && token[0] <= 'Z'))) {
    press.code = static_cast<uint16_t>(token[0]);
    return press;
  }
  if (token.size() > 1 && token[0] == '#') {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(token.data() + 1, token.data() + token.size(), value);
    if (ec != std::errc() || end != token.data() + token.size() || value > 0xFFFF) return std::nullopt;
    press.code = static_cast<uint16_t>(value);
    return press;
  }
  if (token.size() == 10 && token.substr(0, 9) == "VK_NUMPAD" && token[9] >= '0' && token[9] <= '9') {
    press.code = static_cast<uint16_t>(vk::Numpad0 + (token[9] - '0'));
    return press;
  }
  for (const Named& n : kNames) {
    if (n.name == token) {
      press.code = n.code;
      return press;
    }
  }
  return std::nullopt;
}

std::vector<std::string> KeyNameList() {
  std::vector<std::string> out;
  for (const Named& n : kNames) out.emplace_back(n.name);
  for (char d = '0'; d <= '9'; ++d) out.push_back(std::string("VK_NUMPAD") + d);
  return out;
}

std::vector<std::string> OperationNameList() {
  std::vector<std::string> out;
  for (const Operation& op : kOperations) out.emplace_back(op.name);
  return out;
}

}  // namespace nimbrel
