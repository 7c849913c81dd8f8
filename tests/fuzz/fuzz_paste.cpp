// fuzz_paste: any clipboard text, any length, NULs included, pasted under
// display options taken from the first bytes; then Copy, and the copied text
// pasted again. Paste pushes what PasteValue reads (or nothing for a number
// beyond the extended range), never a value that is not finite; in base 10
// copying what was pasted from a copy gives the same text again.
#include <cstdint>
#include <string>

#include "FuzzCommon.h"
#include "FuzzPlatform.h"
#include "display/ClipboardText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nimbrel;
  using namespace nimbrel::fuzz;
  Bytes bytes(data, size);
  FuzzPlatform p(bytes);
  DisplayOptions& o = p.calc.display.options;
  ChooseDisplayFlags(bytes.Byte(), o);
  const uint8_t numbers = bytes.Byte();
  o.Decs = static_cast<int16_t>(numbers % 10);
  static const int16_t kSteps[] = {1, 1, 3, 2, 4, 9, 13, 100, 32767, 0, -5, 6, 12, 18, 19, 20};
  o.bsZ = kSteps[numbers / 16];
  const std::string text = bytes.Rest();

  // Paste: X is what PasteValue reads, or nothing was pushed.
  const Extended before = p.calc.engine.X();
  p.clipboard = text;
  p.calc.Guarded([&] { p.calc.PasteClick(); });
  CheckNumbers(p.calc.engine);
  const std::optional<Extended> value = PasteValue(text);
  if (value) {
    if (!(p.calc.engine.X() == *value) || p.beeps != 0) Fail("paste didn't push " + Show(*value));
  } else if (p.beeps != 1 || !(p.calc.engine.X() == before)) {
    Fail("paste of a number beyond the range changed X or didn't beep");
  }
  if (p.calc.display.entry.InProgress()) Fail("paste left an entry in progress");

  // Copy: the line without its label, "e" before the exponent's sign.
  p.calc.CutClick();
  const std::string line = CheckedFormat(p.calc.engine.X(), 'X', o);
  const std::string copied = p.clipboard;
  if (copied != CopyTextFromLine(line) || copied.size() + 3 != line.size()) Fail("copy gave \"" + copied + "\"");
  if (copied.find("+e") != std::string::npos || copied.find("-e") != std::string::npos) {
    Fail("copy kept the display's exponent order: \"" + copied + "\"");
  }

  // Paste the copy, copy again.
  const int beeps = p.beeps;
  p.calc.Guarded([&] { p.calc.PasteClick(); });
  CheckNumbers(p.calc.engine);
  p.calc.CutClick();
  CheckedFormat(p.calc.engine.X(), 'X', o);
  // A negative value too small for the decimals shown copies as "-0" (or
  // "-0.000000000"): the value pasted back is zero and shows no sign.
  const bool signedZero = !copied.empty() && copied[0] == '-' && p.calc.engine.X() == 0;
  // With no room for the point the fraction is dropped, not rounded: the
  // value pasted back may lie a hair below the text and lose its last digit.
  const bool cut = copied.find('.') == std::string::npos;
  if (o.Base == 10 && p.beeps == beeps && !signedZero && !cut && p.clipboard != copied) {
    Fail("copy, paste, copy went from \"" + copied + "\" to \"" + p.clipboard + "\" under " + Show(o));
  }
  CheckEveryLine(p.calc);
  return 0;
}
