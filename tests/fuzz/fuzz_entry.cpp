// fuzz_entry: the entry line on its own, one key sequence typed in base 8,
// 10 and 16 in turn, with Enter's and an operation's ends of the entry in
// between. X always holds the typed value, the limits hold, a refused key
// changes nothing, nothing that is not finite reaches the stack, and every
// formatted line fits.
#include <array>
#include <cstdint>
#include <string>

#include "FuzzCommon.h"
#include "core/KeyCodes.h"
#include "display/EntryLine.h"

namespace nimbrel::fuzz {
namespace {

constexpr uint16_t kKeys[] = {'0', '1', '2', '7', '8', '9', 'A', 'C', 'F', '3', '4', '5', '6', 'B', 'D', 'E',
                              vk::Decimal, vk::End, vk::Next, vk::Back, vk::Decimal, vk::Next, vk::Back, 'G'};
constexpr int kKeyCount = sizeof kKeys / sizeof kKeys[0];

struct State {
  EntryLine entry;
  std::array<Extended, kStackSize> levels;
  bool operator==(const State& o) const {
    const EntryLine& a = entry;
    const EntryLine& b = o.entry;
    for (int i = 0; i < kStackSize; ++i) {
      if (!(levels[i] == o.levels[i]) || std::signbit(levels[i]) != std::signbit(o.levels[i])) return false;
    }
    return a.MantText == b.MantText && a.ExpText == b.ExpText && a.MantLen == b.MantLen && a.ExpLen == b.ExpLen &&
           a.MantNeg == b.MantNeg && a.ExpNeg == b.ExpNeg && a.PointEntered == b.PointEntered &&
           a.ExpEntry == b.ExpEntry && a.FreshEntry == b.FreshEntry;
  }
};

State Snap(const EntryLine& entry, const Engine& engine) {
  State s{entry, {}};
  for (int i = 0; i < kStackSize; ++i) s.levels[i] = engine.Level(i + 1);
  return s;
}

void CheckEntry(const EntryLine& entry, const Engine& engine, const DisplayOptions& o) {
  const std::string what = " typing \"" + entry.EntryText() + "\" in base " + std::to_string(o.Base);
  if (entry.MantLen < 0 || entry.MantLen > kMaxMantissa) Fail("MantLen " + std::to_string(entry.MantLen) + what);
  if (entry.ExpLen < 0 || entry.ExpLen > kMaxExponent) Fail("ExpLen " + std::to_string(entry.ExpLen) + what);
  if (entry.ExpEntry && entry.MantLen == 0) Fail("an exponent without a mantissa" + what);
  if (entry.MantLen != 0 && static_cast<size_t>(entry.MantLen) != entry.MantText.size()) Fail("MantLen" + what);
  if (entry.MantLen != 0 && !(engine.X() == entry.EntryValue())) {
    Fail("X holds " + Show(engine.X()) + ", not the typed " + Show(entry.EntryValue()) + what);
  }
  const std::string text = entry.EntryText();
  if (text.compare(0, 3, "X: ") != 0 || text.size() > 3 + 1 + kMaxMantissa + 2 + kMaxExponent) Fail("line" + what);
  CheckNumbers(engine);
  CheckedFormat(engine.X(), 'X', o);
}

void Type(Bytes bytes, int16_t base) {
  Engine engine;
  DisplayOptions o;
  o.Base = base;
  EntryLine entry(engine, o);
  while (!bytes.Empty()) {
    const uint8_t b = bytes.Byte();
    if (b >= 250) {
      // Enter: a copy of X pushed, the next number replaces it. Or an
      // operation: the entry ends and the next number pushes.
      if (b & 1) engine.Push(engine.X());
      entry.ResetEntry();
      if (b & 1) entry.FreshEntry = 0;
      continue;
    }
    const uint16_t key = b >= 240 ? bytes.Word() : kKeys[b % kKeyCount];
    const State before = Snap(entry, engine);
    const bool accepted = entry.EntryKey(key);
    if (!accepted && !(Snap(entry, engine) == before)) Fail("a refused key changed the entry or the stack");
    CheckEntry(entry, engine, o);
  }
  CheckedFormat(engine.X(), 'X', o);
}

}  // namespace
}  // namespace nimbrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (int16_t base : {8, 10, 16}) nimbrel::fuzz::Type(nimbrel::fuzz::Bytes(data, size), base);
  return 0;
}
