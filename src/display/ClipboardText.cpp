#include "display/ClipboardText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "display/NumberFormat.h"

namespace nimbrel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest leading part of `s` that forms a decimal number:
// an optional "-", digits with an optional point (at least one digit), then
// optionally an exponent letter, an optional "-" and at least one digit.
size_t NumberPrefix(const std::string& s) {
  size_t i = 0;
  if (i < s.size() && s[i] == '-') ++i;
  size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  size_t end = i;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && s[j] == '-') ++j;
    const size_t expStart = j;
    while (j < s.size() && IsDigit(s[j])) ++j;
    if (j > expStart) end = j;
  }
  return end;
}

// Whether `piece`, blanks around it aside, is one number and nothing else:
// a sign, digits (grouped by commas in threes, or not at all), a point and
// decimals, an exponent. On success `number` is the piece in the form
// strtold reads: no blanks, no commas.
bool OneNumber(std::string_view piece, std::string& number) {
  const size_t first = piece.find_first_not_of(" ");
  if (first == std::string_view::npos) return false;
  piece = piece.substr(first, piece.find_last_not_of(" ") + 1 - first);
  number.clear();
  size_t i = 0;
  if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) number += piece[i++];
  size_t digits = 0, group = 0;
  bool grouped = false;
  for (; i < piece.size() && (IsDigit(piece[i]) || piece[i] == ','); ++i) {
    if (piece[i] == ',') {
      // Commas only between groups of three, the first group of one to three.
      if (digits == 0 || (grouped ? group != 3 : group > 3)) return false;
      grouped = true;
      group = 0;
      continue;
    }
    number += piece[i];
    ++digits, ++group;
  }
  if (grouped && group != 3) return false;
  if (i < piece.size() && piece[i] == '.') {
    number += piece[i++];
    for (; i < piece.size() && IsDigit(piece[i]); ++i) number += piece[i], ++digits;
  }
  if (digits == 0) return false;
  if (i < piece.size() && (piece[i] == 'e' || piece[i] == 'E')) {
    number += piece[i++];
    if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) number += piece[i++];
    const size_t expStart = i;
    for (; i < piece.size() && IsDigit(piece[i]); ++i) number += piece[i];
    if (i == expStart) return false;
  }
  return i == piece.size();
}

}  // namespace

std::string BoundedText(const char* block, size_t size, size_t limit) {
  const size_t n = std::min(size, limit);
  size_t length = 0;
  while (length < n && block[length] != '\0') ++length;
  return std::string(block, length);
}

std::string CopyTextFromLine(const std::string& line) {
  std::string text = line.size() > 3 ? line.substr(3) : std::string();
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] == 'e') std::swap(text[i - 1], text[i]);
  }
  return text;
}

std::string CopyText(Extended x, const DisplayOptions& options) {
  return CopyTextFromLine(FormatNumber(x, 'X', options));
}

std::optional<Extended> PasteValue(const std::string& clipboardText) {
  std::string kept;
  for (char c : clipboardText.substr(0, kPasteBuffer)) {
    if (IsDigit(c) || c == '.' || c == '-' || c == 'E' || c == 'e') kept += c;
  }
  const size_t n = NumberPrefix(kept);
  if (n == 0) return Extended(0);
  const std::string number = kept.substr(0, n);
  const Extended value = std::strtold(number.c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::vector<Extended>> PastedNumbers(const std::string& clipboardText) {
  if (clipboardText.size() > kPasteTextLimit) return std::nullopt;
  std::vector<Extended> numbers;
  std::string number;
  size_t start = 0;
  while (start <= clipboardText.size()) {
    size_t end = clipboardText.find_first_of("\r\n\t;", start);
    if (end == std::string::npos) end = clipboardText.size();
    const std::string_view piece(clipboardText.data() + start, end - start);
    start = end + 1;
    if (piece.find_first_not_of(" ") == std::string_view::npos) continue;  // an empty piece
    if (!OneNumber(piece, number)) return std::nullopt;
    const Extended value = std::strtold(number.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    numbers.push_back(value);
  }
  if (numbers.size() < 2) return std::nullopt;
  return numbers;
}

bool PasteInto(const std::string& clipboardText, Engine& engine, EntryLine& entry) {
  if (const auto numbers = PastedNumbers(clipboardText)) {
    // Pushed in order, as if typed with Enter between them; only the last
    // ten stay, as with any push.
    const size_t from = numbers->size() > kStackSize ? numbers->size() - kStackSize : 0;
    for (size_t i = from; i < numbers->size(); ++i) engine.Push((*numbers)[i]);
    entry.ResetEntry();
    return true;
  }
  const std::optional<Extended> value = PasteValue(clipboardText);
  if (!value) return false;
  engine.Push(*value);
  entry.ResetEntry();
  return true;
}

std::string StackText(const Engine& engine, const DisplayOptions& options) {
  std::string text;
  for (int level = kStackSize; level >= 1; --level) text += CopyText(engine.Level(level), options) + "\r\n";
  return text;
}

}  // namespace nimbrel
