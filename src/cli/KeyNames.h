// Key tokens of nimbrel-cli: "VK_RETURN", "7", "A", "#144", "shift+VK_INSERT",
// and a few friendlier aliases ("+", "-", "*", "/", ".", "enter").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrel {

struct KeyPress {
  uint16_t code = 0;
  bool shift = false;  // Shift held
  bool ctrl = false;   // Ctrl held
};

// The key press a token names, or nothing for a token that names none.
std::optional<KeyPress> ParseKey(std::string_view token);

// The names ParseKey knows, for --help.
std::vector<std::string> KeyNameList();

}  // namespace nimbrel
