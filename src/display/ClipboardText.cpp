#include "display/ClipboardText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
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

bool PasteInto(const std::string& clipboardText, Engine& engine, EntryLine& entry) {
  const std::optional<Extended> value = PasteValue(clipboardText);
  if (!value) return false;
  engine.Push(*value);
  entry.ResetEntry();
  return true;
}

}  // namespace nimbrel
