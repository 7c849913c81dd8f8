// Every stored settings value damaged in every way a registry editor, an
// old version or a broken disk can leave it, taken from the settings table
// itself (SettingNames), not from a list kept here: each value alone is
// missing, of the wrong type, of the wrong size, or holds an integer at the
// 16- and 32-bit extremes or a double that is not finite.
//
// A damage either stops the load with its message, and then nothing has
// changed and nothing is written, or it loads, and then the calculator is
// sound: base 8, 10 or 16, a known angle unit and notation, letters as
// memory keys, finite numbers, every display line within its budget,
// 2 Enter 3 + giving 5, a save of well-formed values only, and a restart
// coming back to the same state.
//
// The in-memory registry takes the whole matrix; the real registry
// (registry_win_tests) a slice: the first, the middle and the last value of
// each kind. NIMBREL_DAMAGE_TABLE=1 prints the matrix.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <optional>
#include <map>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "RegistryData.h"
#include "RegistrySuites.h"
#include "app/Calculator.h"
#include "display/NumberFormat.h"
#include "settings/Settings.h"

namespace nimbrel {
namespace {

using namespace testdata;

constexpr RootKey HKCU = RootKey::CurrentUser;

enum class Outcome { Loads, FailedToGet, InvalidType };
constexpr Outcome kLoads = Outcome::Loads, kFailed = Outcome::FailedToGet, kInvalid = Outcome::InvalidType;

struct Damage {
  std::string what;
  bool planted;  // false: the value is missing
  uint32_t type;
  Bytes data;
  Outcome outcome;  // what loading it gives
};

Bytes MultiText(const std::string& s) {  // one string, then the empty one that ends the list
  Bytes b(s.begin(), s.end());
  b.push_back(0);
  b.push_back(0);
  return b;
}

// The damages that fit a value of this kind: the same wrong types for
// every kind, then what is the right type with a value at an edge. An
// integer or flag is read into 4 bytes and must be REG_DWORD; a number into
// 8 and must be 8 bytes of REG_BINARY; longer data can't be read at all.
std::vector<Damage> DamagesFor(SettingKind kind) {
  const bool number = kind == SettingKind::Float;
  const struct {
    Damage damage;
    Outcome ofNumber;  // (damage.outcome: of an integer or flag)
  } wrongTypes[] = {
      {{"missing", false, kRegNone, {}, kLoads}, kLoads},
      {{"REG_SZ \"7\"", true, kRegSz, Text("7"), kInvalid}, kInvalid},
      {{"REG_SZ \"123456789\"", true, kRegSz, Text("123456789"), kFailed}, kFailed},
      {{"REG_BINARY 0 bytes", true, kRegBinary, {}, kInvalid}, kInvalid},
      {{"REG_BINARY 4 bytes", true, kRegBinary, Filler(4), kInvalid}, kInvalid},
      {{"REG_BINARY 7 bytes", true, kRegBinary, Filler(7), kFailed}, kInvalid},
      {{"REG_BINARY 9 bytes", true, kRegBinary, Filler(9), kFailed}, kFailed},
      {{"REG_QWORD 5", true, kRegQword, RawDouble(5), kFailed}, kInvalid},
      {{"REG_MULTI_SZ \"7\"", true, kRegMultiSz, MultiText("7"), kInvalid}, kInvalid},
      {{"REG_NONE 0 bytes", true, kRegNone, {}, kInvalid}, kInvalid},
      {{"REG_NONE 4 bytes", true, kRegNone, Filler(4), kInvalid}, kInvalid},
  };
  std::vector<Damage> out;
  for (const auto& w : wrongTypes) {
    out.push_back(w.damage);
    if (number) out.back().outcome = w.ofNumber;
  }
  if (number) {
    out.push_back({"REG_DWORD 5", true, kRegDword, Dword(5), kInvalid});
    const struct {
      const char* what;
      uint64_t bits;
    } doubles[] = {
        {"double +infinity", 0x7FF0000000000000ULL}, {"double -infinity", 0xFFF0000000000000ULL},
        {"double quiet NaN", 0x7FF8000000000000ULL}, {"double signalling NaN", 0x7FF0000000000001ULL},
        {"double all ones (NaN)", 0xFFFFFFFFFFFFFFFFULL}, {"double largest", 0x7FEFFFFFFFFFFFFFULL},
        {"double -largest", 0xFFEFFFFFFFFFFFFFULL}, {"double smallest subnormal", 1},
    };
    for (const auto& d : doubles) out.push_back({d.what, true, kRegBinary, RawDouble(d.bits), kLoads});
  } else {
    for (const int32_t v : {INT16_MIN, -1, INT16_MAX, 0x8000, 0xFFFF, 0x10000, INT32_MIN, INT32_MAX}) {
      out.push_back({"REG_DWORD " + std::to_string(v), true, kRegDword, Dword(v), kLoads});
    }
  }
  return out;
}

std::string MessageFor(Outcome o, const std::string& name) {
  return std::string(o == Outcome::FailedToGet ? "Failed to get data for" : "Invalid data type for") + " '" +
         name + "'";
}

// The whole state that loading fills, comparable; but whether OnTop was in
// the registry at all, which a save changes.
struct Snapshot {
  std::vector<long double> numbers;  // stack levels, memory values
  std::vector<int> integers;         // options, window, keys
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const Calculator& c) {
  Snapshot s;
  for (int k = 1; k <= kStackSize; ++k) s.numbers.push_back(c.engine.Level(k));
  for (const MemorySlot& m : c.engine.Memory) {
    s.numbers.push_back(m.value);
    s.integers.push_back(m.key);
  }
  const DisplayOptions& d = c.display.options;
  const WindowSettings& w = c.window;
  s.integers.insert(s.integers.end(), {d.Base, d.FixedOn, d.Decs, d.CommasOn, d.TrailOn, d.AllExpOn, d.bsZ,
                                       d.Notation, d.Angles, w.Left, w.Top, w.OnTop, w.Small,
                                       w.Medium, w.Large, w.StartUp, w.Hidden, w.TrayIcon, w.HotKey, w.CalcKey,
                                       w.TapeKept, w.TapeShown, w.TapeLeft, w.TapeTop, w.TapeWidth, w.TapeHeight});
  return s;
}

// A calculator whose every home holds something no load would give.
void Scramble(Calculator& c) {
  for (int i = 0; i < kStackSize; ++i) c.engine.Push(100 + i);
  for (MemorySlot& m : c.engine.Memory) {
    m.value = 66;
    m.key = 'Q';
  }
  c.display.options = {16, 0, 7, 0, 0, 1, 3, 2, 2};
  c.window = {-5, -6, true, true, true, false, false, 1, 1, 0, 0x1FFFF, 7, 7, 7, -9, -9, -9, -9};
}

// What a sound calculator holds, whatever was stored.
void ExpectSound(const Calculator& c) {
  const DisplayOptions& d = c.display.options;
  EXPECT_TRUE(d.Base == 8 || d.Base == 10 || d.Base == 16) << "Base " << d.Base;
  EXPECT_TRUE(d.Angles >= 0 && d.Angles <= 2) << "Angles " << d.Angles;
  EXPECT_TRUE(d.Notation >= 0 && d.Notation <= 3) << "Notation " << d.Notation;
  for (const int16_t flag : {d.FixedOn, d.CommasOn, d.TrailOn, d.AllExpOn, c.window.StartUp, c.window.Hidden,
                             c.window.TrayIcon, c.window.CalcKey, c.window.TapeKept, c.window.TapeShown}) {
    EXPECT_TRUE(flag == 0 || flag == 1) << flag;
  }
  EXPECT_EQ(c.window.Small + c.window.Medium + c.window.Large, 1) << "one size checked";
  for (int k = 1; k <= kStackSize; ++k) {
    const Extended v = c.engine.Level(k);
    EXPECT_TRUE(std::isfinite(v)) << "level " << k;
    EXPECT_LE(FormatNumber(v, 'X', d).size(), static_cast<size_t>(kLineBudget)) << FormatNumber(v, 'X', d);
  }
  for (const MemorySlot& m : c.engine.Memory) {
    EXPECT_TRUE(std::isfinite(m.value));
    EXPECT_LE(FormatNumber(m.value, 'M', d).size(), static_cast<size_t>(kLineBudget)) << FormatNumber(m.value, 'M', d);
    EXPECT_TRUE(m.key == 0 || (m.key >= 'A' && m.key <= 'Z')) << "key " << m.key;
  }
}

// The value as a save wrote it, for the table: "-32768", "2.5", "?".
std::string Shown(const std::optional<RawValue>& v) {
  if (!v) return "(not written)";
  char text[40];
  if (v->type == kRegDword && v->data.size() == 4) {
    int32_t i;
    std::memcpy(&i, v->data.data(), 4);
    std::snprintf(text, sizeof text, "%ld", static_cast<long>(i));
  } else if (v->type == kRegBinary && v->data.size() == 8) {
    double d;
    std::memcpy(&d, v->data.data(), 8);
    std::snprintf(text, sizeof text, "%.17g", d);
  } else {
    return "(malformed)";
  }
  return text;
}

class DamagedSettingsRun {
 public:
  DamagedSettingsRun(RegistrySession& session) : s_(session) {}

  // One value damaged one way; returns the table's cell.
  std::string Check(const std::string& name, const Damage& d) {
    SCOPED_TRACE(name + ": " + d.what);
    s_.FreshMachine();
    if (d.planted) s_.backend().Plant(HKCU, kSettingsKey, name, d.type, d.data);
    s_.reg().written.clear();
    FakePlatform platform;
    Calculator calc(platform);
    Scramble(calc);
    const Snapshot before = Take(calc);
    const Outcome expected = d.outcome;
    try {
      calc.Load(s_.reg());
    } catch (const RegistryError& e) {
      EXPECT_NE(expected, Outcome::Loads) << e.what();
      EXPECT_EQ(e.what(), MessageFor(expected, name));
      EXPECT_TRUE(Take(calc) == before) << "a failed load changed the calculator";
      EXPECT_TRUE(calc.window.OnTopStored) << "a failed load changed the calculator";
      EXPECT_TRUE(s_.reg().written.empty()) << "a failed load wrote " << s_.reg().written.front();
      EXPECT_FALSE(s_.reg().HasCurrentKey());
      return expected == Outcome::FailedToGet ? "fails: Failed to get data" : "fails: Invalid data type";
    }
    EXPECT_EQ(expected, Outcome::Loads) << "loaded";
    return AfterLoad(calc, name);
  }

 private:
  std::string AfterLoad(Calculator& calc, const std::string& name) {
    ExpectSound(calc);
    const Snapshot loaded = Take(calc);
    // Saved: every value, each well-formed.
    s_.reg().written.clear();
    calc.Save(s_.reg());  // pops the stack: calc is done with
    EXPECT_EQ(s_.reg().written.size(), SettingNames().size());
    for (const std::string& n : SettingNames()) {
      const std::optional<RawValue> v = s_.backend().Find(HKCU, kSettingsKey, n);
      EXPECT_TRUE(v.has_value()) << n << " not written";
      if (!v) continue;
      const bool number = SettingKindOf(n) == SettingKind::Float;
      EXPECT_EQ(v->type, number ? kRegBinary : kRegDword) << n;
      EXPECT_EQ(v->data.size(), number ? 8u : 4u) << n;
      if (number && v->data.size() == 8) {
        double d;
        std::memcpy(&d, v->data.data(), 8);
        EXPECT_TRUE(std::isfinite(d)) << n;
      }
    }
    const std::string cell = "loads, saved back as " + Shown(s_.backend().Find(HKCU, kSettingsKey, name));
    // A restart comes back to the same state, and it still adds.
    FakePlatform platform;
    Calculator again(platform);
    again.Load(s_.reg());
    EXPECT_TRUE(Take(again) == loaded) << "a restart changed the state";
    for (uint16_t key : {uint16_t{'2'}, uint16_t{13}, uint16_t{'3'}, uint16_t{107}}) again.DispatchKey(key);
    EXPECT_EQ(again.engine.X(), 5);
    EXPECT_LE(FormatNumber(again.engine.X(), 'X', again.display.options).size(), static_cast<size_t>(kLineBudget));
    return cell;
  }

  RegistrySession& s_;
};

// The values to damage: all of them, or of each kind the first, the middle
// and the last in the table's order.
std::vector<std::string> ValuesToDamage(bool whole) {
  const std::vector<std::string> names = SettingNames();
  if (whole) return names;
  std::vector<std::string> out;
  for (const SettingKind kind : {SettingKind::Integer, SettingKind::Boolean, SettingKind::Float}) {
    std::vector<std::string> ofKind;
    for (const std::string& n : names) {
      if (SettingKindOf(n) == kind) ofKind.push_back(n);
    }
    if (ofKind.empty()) continue;
    for (const size_t i : {size_t{0}, ofKind.size() / 2, ofKind.size() - 1}) {
      if (std::find(out.begin(), out.end(), ofKind[i]) == out.end()) out.push_back(ofKind[i]);
    }
  }
  return out;
}

const char* KindName(SettingKind kind) {
  return kind == SettingKind::Integer ? "integer" : kind == SettingKind::Boolean ? "boolean" : "number";
}

// Prints damage by damage which values gave which outcome, values with the
// same outcome together.
void PrintTable(const std::vector<std::string>& names, const std::map<std::string, std::vector<std::string>>& cells) {
  for (const SettingKind kind : {SettingKind::Integer, SettingKind::Boolean, SettingKind::Float}) {
    const std::vector<Damage> damages = DamagesFor(kind);
    for (size_t d = 0; d < damages.size(); ++d) {
      std::vector<std::pair<std::string, std::string>> groups;  // outcome, names
      for (const std::string& n : names) {
        if (SettingKindOf(n) != kind) continue;
        const std::string& cell = cells.at(n)[d];
        auto it = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == cell; });
        if (it == groups.end()) {
          groups.push_back({cell, n});
        } else {
          it->second += " " + n;
        }
      }
      for (const auto& [outcome, which] : groups) {
        std::printf("%-8s | %-26s | %s -> %s\n", KindName(kind), damages[d].what.c_str(), which.c_str(),
                    outcome.c_str());
      }
    }
  }
}

}  // namespace

TEST_P(DamagedSettings, EveryDamageStopsTheLoadUntouchedOrLoadsSound) {
  const bool whole = std::string(GetParam().name) == "InMemory";
  const std::vector<std::string> names = ValuesToDamage(whole);
  ASSERT_GE(names.size(), 9u);
  DamagedSettingsRun run(session());
  std::map<std::string, std::vector<std::string>> cells;
  for (const std::string& name : names) {
    const std::optional<SettingKind> kind = SettingKindOf(name);
    ASSERT_TRUE(kind.has_value()) << name;
    for (const Damage& d : DamagesFor(*kind)) cells[name].push_back(run.Check(name, d));
  }
  const char* print = std::getenv("NIMBREL_DAMAGE_TABLE");
  if (print && *print == '1') PrintTable(names, cells);
}

TEST_P(DamagedSettings, MeaninglessChoicesLoadAsTheirDefaults) {
  // Only these integers have a closed set of meanings; outside it the
  // default, inside it the stored value (its low 16 bits).
  const struct {
    const char* name;
    int32_t stored;
    int loaded;
  } cases[] = {
      {"Base", 8, 8}, {"Base", 16, 16}, {"Base", 0x10010, 16}, {"Base", 2, 10}, {"Base", 0, 10},
      {"Base", -10, 10}, {"Base", 36, 10}, {"Base", 0x7FFF, 10}, {"Angles", 0, 0}, {"Angles", 2, 2},
      {"Angles", 3, 1}, {"Angles", -1, 1}, {"Notation", 0, 0}, {"Notation", 4, 3}, {"Notation", 0x10004, 3}, {"Notation", INT32_MIN, 0},
      {"MKey4", 'A', 'A'}, {"MKey4", 'Z', 'Z'}, {"MKey4", 'a', 0}, {"MKey4", 13, 0}, {"MKey4", 0x10041, 'A'},
      // a key, with only the modifiers the hotkey control sets (Shift, Ctrl, Alt, extended)
      {"HotKey", 0x64B, 0x64B}, {"HotKey", 0x7B, 0x7B}, {"HotKey", 0xF2D, 0xF2D}, {"HotKey", 0x600, 0},
      {"HotKey", 0x164B, 0}, {"HotKey", 0x1064B, 0}, {"HotKey", -1, 0},
      {"TapeWidth", 640, 640}, {"TapeWidth", -1, 0}, {"TapeWidth", 40000, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << " stored as " << c.stored);
    session().FreshMachine();
    backend().Plant(HKCU, kSettingsKey, c.name, kRegDword, Dword(c.stored));
    FakePlatform platform;
    Calculator calc(platform);
    calc.Load(reg());
    const std::string n = c.name;
    const int loaded = n == "Base"     ? calc.display.options.Base
                       : n == "Angles" ? calc.display.options.Angles
                       : n == "Notation" ? calc.display.options.Notation
                       : n == "HotKey"   ? calc.window.HotKey
                       : n == "TapeWidth" ? calc.window.TapeWidth
                                         : calc.engine.Memory[3].key;
    EXPECT_EQ(loaded, c.loaded);
  }
}

}  // namespace nimbrel
