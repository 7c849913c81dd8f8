// The display's model: the display options, the entry line, and the text of
// every line the display paints. The Win32 control paints these lines; the
// CLI prints them.
#pragma once

#include <string>
#include <vector>

#include "core/Engine.h"
#include "display/DisplayOptions.h"
#include "display/EntryLine.h"

namespace nimbrel {

constexpr int kLinePitch = 18;  // pixels between the display's lines
constexpr int kXLineRise = 20;  // the X line's top is this far above the bottom

class StackWindow {
 public:
  explicit StackWindow(Engine& engine) : entry(engine, options), engine_(engine) {}

  // How many lines a display of this height shows: X, then one more for
  // every `pitch` pixels while the line's top stays inside (at 100 %: 41
  // gives 2, 185 gives 10, below 38 only X). `pitch` and `rise` are the
  // line pitch and the X line's rise at the display's scale.
  static int LinesForHeight(int height, int pitch = kLinePitch, int rise = kXLineRise);

  // The formatted value under this display's options (`carryRepaired` as
  // for nimbrel::FormatNumber).
  std::string FormatNumber(Extended x, char label, bool* carryRepaired = nullptr) const;

  // The text of display line j (0 is the X line, then Y, Z, W, 4..9).
  std::string Line(int j) const;

  // The top `count` lines (at most 10), top line first and the X line last.
  std::vector<std::string> Lines(int count) const;

  DisplayOptions options;
  EntryLine entry;

 private:
  Engine& engine_;
};

}  // namespace nimbrel
