#include "display/StackWindow.h"

#include <algorithm>

#include "display/NumberFormat.h"

namespace nimbrel {

namespace {
constexpr char kLabels[kStackSize] = {'X', 'Y', 'Z', 'W', '4', '5', '6', '7', '8', '9'};
}

int StackWindow::LinesForHeight(int height, int pitch, int rise) {
  if (pitch < 1) pitch = 1;
  int lines = 1;
  while (lines < kStackSize && height - rise - pitch * lines >= 0) ++lines;
  return lines;
}

std::string StackWindow::FormatNumber(Extended x, char label, bool* carryRepaired) const {
  return nimbrel::FormatNumber(x, label, options, carryRepaired);
}

std::string StackWindow::Line(int j) const {
  // While a number is typed the X line shows it exactly as typed; the lines
  // above come from the stack, which already holds the typed value as X.
  if (j == 0 && entry.MantLen != 0) return entry.EntryText();
  return FormatNumber(engine_.Level(j + 1), kLabels[j]);
}

std::vector<std::string> StackWindow::Lines(int count) const {
  count = std::clamp(count, 1, kStackSize);
  std::vector<std::string> out;
  for (int j = count - 1; j >= 0; --j) out.push_back(Line(j));
  return out;
}

}  // namespace nimbrel
