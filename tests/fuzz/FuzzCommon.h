// What every fuzz harness shares: a reader that turns the fuzzer's bytes into
// choices, and the invariants each harness asserts. A broken invariant
// prints what broke and aborts, which libFuzzer reports as a crash and
// keeps the input that caused it.
#pragma once

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Calculator.h"
#include "app/FaceKeys.h"
#include "display/NumberFormat.h"
#include "settings/MemoryRegistry.h"

namespace nimbrel::fuzz {

// ---- the bytes -------------------------------------------------------------------

// Takes choices from the front of the input; once it is used up every
// choice is 0.
class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return pos_ >= size_; }
  size_t Left() const { return size_ - pos_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint16_t Word() {
    const uint16_t low = Byte();
    return static_cast<uint16_t>(low | (Byte() << 8));
  }
  // A choice of 0 .. n-1.
  int Below(int n) { return n <= 1 ? 0 : Byte() % n; }
  // Up to `max` bytes, as they come.
  std::string Text(size_t max) {
    const size_t n = std::min<size_t>(Byte() % (max + 1), Left());
    std::string out(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return out;
  }
  // Everything not yet taken.
  std::string Rest() {
    std::string out(reinterpret_cast<const char*>(data_ + pos_), Left());
    pos_ = size_;
    return out;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// The display options one byte chooses: the base (its two low bits: 10,
// 10, 8 or 16), then FixedOn, CommasOn, TrailOn and AllExpOn.
inline void ChooseDisplayFlags(uint8_t flags, DisplayOptions& o) {
  static const int16_t kBases[] = {10, 10, 8, 16};
  o.Base = kBases[flags % 4];
  o.FixedOn = (flags >> 2) & 1;
  o.CommasOn = (flags >> 3) & 1;
  o.TrailOn = (flags >> 4) & 1;
  o.AllExpOn = (flags >> 5) & 1;
}

// ---- the invariants ---------------------------------------------------------------

[[noreturn]] inline void Fail(const std::string& what) {
  std::fprintf(stderr, "\n*** invariant broken: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

inline std::string Show(Extended v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.21Lg", static_cast<long double>(v));
  return text;
}

inline std::string Show(const DisplayOptions& o) {
  return "Base " + std::to_string(o.Base) + " FixedOn " + std::to_string(o.FixedOn) + " Decs " +
         std::to_string(o.Decs) + " CommasOn " + std::to_string(o.CommasOn) + " TrailOn " +
         std::to_string(o.TrailOn) + " AllExpOn " + std::to_string(o.AllExpOn) + " bsZ " + std::to_string(o.bsZ);
}

// The thread's CPU time in nanoseconds: what formatting costs, whatever else
// the machine runs meanwhile.
inline int64_t ThreadCpuNanos() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// A limit far above any format's cost (tens of microseconds, a few hundred
// at the ends of the range under the sanitizers): only work that grows
// without bound reaches it.
constexpr int64_t kFormatCpuLimitNanos = 100 * 1000 * 1000;

// One line through FormatNumber, checked: at most 16 characters, the label,
// ": " and something after it, and bounded work.
inline std::string CheckedFormat(Extended v, char label, const DisplayOptions& options) {
  const int64_t start = ThreadCpuNanos();
  const std::string line = FormatNumber(v, label, options);
  const int64_t spent = ThreadCpuNanos() - start;
  const std::string what = "\"" + line + "\" for " + Show(v) + " label " + label + " under " + Show(options);
  if (spent > kFormatCpuLimitNanos) Fail("formatting took " + std::to_string(spent / 1000) + " us: " + what);
  if (line.size() > static_cast<size_t>(kLineBudget)) Fail("line longer than 16 characters: " + what);
  if (line.size() < 4 || line[0] != label || line[1] != ':' || line[2] != ' ') Fail("line without its label: " + what);
  return line;
}

inline void CheckFinite(Extended v, const std::string& where) {
  if (!std::isfinite(v)) Fail(where + " holds " + Show(v));
}

// Nothing that is not finite in the stack, LastX or a memory slot.
inline void CheckNumbers(const Engine& engine) {
  for (int level = 1; level <= kStackSize; ++level) CheckFinite(engine.Level(level), "level " + std::to_string(level));
  CheckFinite(engine.LastX, "LastX");
  for (int slot = 0; slot < kMemorySlots; ++slot) {
    CheckFinite(engine.Memory[slot].value, "memory slot " + std::to_string(slot + 1));
  }
}

// The shift state lives in the Shift key's glyph: 1 off, 3 on, nothing else.
inline void CheckShift(const FaceState& face) {
  const int16_t glyph = face.Key("Shift").CurrentGlyph;
  if (glyph != kShiftOff && glyph != kShiftOn) Fail("the Shift key shows glyph " + std::to_string(glyph));
}

// Every number the calculator holds, formatted as the display, the memory
// window and the tray tip would: every level with its label, LastX, and
// every memory slot with its digit.
inline void CheckEveryLine(const Calculator& calc) {
  static const char kLabels[] = "XYZW456789";
  for (int level = 1; level <= kStackSize; ++level) {
    CheckedFormat(calc.engine.Level(level), kLabels[level - 1], calc.display.options);
  }
  CheckedFormat(calc.engine.LastX, 'X', calc.display.options);
  for (int slot = 0; slot < kMemorySlots; ++slot) {
    CheckedFormat(calc.engine.Memory[slot].value, static_cast<char>('1' + slot), calc.display.options);
  }
}

// An empty registry of a user: HKEY_CURRENT_USER\Software exists (the
// settings store opens it without creating it).
inline void MakeSoftwareKey(MemoryRegistry& registry) {
  registry.SetRootKey(RootKey::CurrentUser);
  registry.OpenKey("Software", true);
  registry.CloseKey();
}

// The values of the settings key as stored: every one's type and bytes.
inline std::vector<std::pair<std::string, MemoryRegistry::Value>> StoredValues(const MemoryRegistry& registry,
                                                                              const std::vector<std::string>& names) {
  std::vector<std::pair<std::string, MemoryRegistry::Value>> out;
  for (const std::string& name : names) {
    const MemoryRegistry::Value* v = registry.Find(RootKey::CurrentUser, kSettingsKey, name);
    out.emplace_back(name, v ? *v : MemoryRegistry::Value{0xFFFFFFFFu, {}});
  }
  return out;
}

// The names SaveSettings writes, in its order, learned from a save.
inline const std::vector<std::string>& SettingNames() {
  static const std::vector<std::string> names = [] {
    MemoryRegistry registry;
    MakeSoftwareKey(registry);
    Engine engine;
    DisplayOptions options;
    WindowSettings window;
    SaveSettings(registry, engine, options, window);
    return registry.WrittenNames();
  }();
  return names;
}

// Saving, loading what was saved and saving again writes the same bytes:
// what is saved comes back exactly. `save` saves the state under test into
// the registry it is given (and may pop its stack).
template <class SaveInto>
void CheckSaveLoadSave(SaveInto save) {
  MemoryRegistry first;
  MakeSoftwareKey(first);
  save(first);
  Engine engine;
  DisplayOptions options;
  WindowSettings window;
  try {
    LoadSettings(first, engine, options, window);
  } catch (const RegistryError& e) {
    Fail(std::string("what was saved doesn't load: ") + e.what());
  }
  CheckNumbers(engine);
  MemoryRegistry second;
  MakeSoftwareKey(second);
  SaveSettings(second, engine, options, window);
  const auto a = StoredValues(first, SettingNames());
  const auto b = StoredValues(second, SettingNames());
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].second.type != b[i].second.type || a[i].second.data != b[i].second.data) {
      Fail("save, load, save changed " + a[i].first);
    }
  }
}

}  // namespace nimbrel::fuzz
