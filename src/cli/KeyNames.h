// Key tokens of nimbrel-cli: "VK_RETURN", "7", "A", "#144", "shift+VK_INSERT",
// a few friendlier aliases ("+", "-", "*", "/", ".", "enter"), and the
// operations by plain names ("sqrt", "asin", "copystack").
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
  // The face's shift state the key needs (a named operation on a shifted
  // key): the shift key is pressed first when it is not so.
  enum class FaceShift { Any, Off, On } faceShift = FaceShift::Any;
};

// The key press a token names, or nothing for a token that names none.
std::optional<KeyPress> ParseKey(std::string_view token);

// The names ParseKey knows, for --help.
std::vector<std::string> KeyNameList();

// The operations' plain names ParseKey knows, in --help's order.
std::vector<std::string> OperationNameList();

}  // namespace nimbrel
