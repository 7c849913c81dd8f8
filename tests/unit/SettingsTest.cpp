// The settings store against the in-memory registry: defaults, where each
// value lives, the stack order, the 16-bit homes, damaged values, numbers a
// double can't hold, and the uninstall entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "RegistryData.h"
#include "core/Engine.h"
#include "display/DisplayOptions.h"
#include "settings/MemoryRegistry.h"
#include "settings/Settings.h"

namespace nimbrel {
namespace {

constexpr RootKey HKCU = RootKey::CurrentUser;
constexpr RootKey HKLM = RootKey::LocalMachine;
const std::string kKey = "Software\\Quarvel\\Nimbrel";
const std::string kEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbrel";

using namespace testdata;

// Everything LoadSettings fills and SaveSettings reads.
struct Homes {
  FakePlatform platform;
  Engine engine{platform};
  DisplayOptions display;
  WindowSettings window;

  // Sets stack level k (1 = X) and keeps the other nine.
  void SetLevel(int k, Extended v) {
    Extended levels[kStackSize];
    for (Extended& l : levels) l = engine.Pop();
    levels[k - 1] = v;
    for (int i = kStackSize - 1; i >= 0; --i) engine.Push(levels[i]);
  }
};

// ---- every value of the settings key: its home, its default, and a sample
// value that differs from the default (stored as it is written: booleans 0/1)

struct Row {
  const char* name;
  uint32_t type;
  double fallback;
  double sample;
  Extended (*get)(const Homes&);
  void (*set)(Homes&, Extended);
};

template <int K> Extended GetLevel(const Homes& h) { return h.engine.Level(K); }
template <int K> void SetLevel(Homes& h, Extended v) { h.SetLevel(K, v); }
template <int S> Extended GetMValue(const Homes& h) { return h.engine.Memory[S - 1].value; }
template <int S> void SetMValue(Homes& h, Extended v) { h.engine.Memory[S - 1].value = v; }
template <int S> Extended GetMKey(const Homes& h) { return h.engine.Memory[S - 1].key; }
template <int S> void SetMKey(Homes& h, Extended v) { h.engine.Memory[S - 1].key = static_cast<uint16_t>(v); }

#define WINDOW_FIELD(f) \
  [](const Homes& h) -> Extended { return h.window.f; }, [](Homes& h, Extended v) { h.window.f = static_cast<decltype(h.window.f)>(v); }
#define DISPLAY_FIELD(f) \
  [](const Homes& h) -> Extended { return h.display.f; }, [](Homes& h, Extended v) { h.display.f = static_cast<int16_t>(v); }

const Row kRows[] = {
    {"Left", kRegDword, 0, 1234, WINDOW_FIELD(Left)},
    {"Top", kRegDword, 0, -56, WINDOW_FIELD(Top)},
    {"OnTop", kRegDword, 0, 1, WINDOW_FIELD(OnTop)},
    {"Small", kRegDword, 0, 1, WINDOW_FIELD(Small)},
    {"Medium", kRegDword, 0, 1, WINDOW_FIELD(Medium)},
    {"Large", kRegDword, 1, 0, WINDOW_FIELD(Large)},
    {"FixedOn", kRegDword, 1, 0, DISPLAY_FIELD(FixedOn)},
    {"CommasOn", kRegDword, 1, 0, DISPLAY_FIELD(CommasOn)},
    {"TrailOn", kRegDword, 1, 0, DISPLAY_FIELD(TrailOn)},
    {"AllExpOn", kRegDword, 0, 1, DISPLAY_FIELD(AllExpOn)},
    {"Base", kRegDword, 10, 16, DISPLAY_FIELD(Base)},
    {"Decs", kRegDword, 4, 7, DISPLAY_FIELD(Decs)},
    {"bsZ", kRegDword, 1, 3, DISPLAY_FIELD(bsZ)},
    {"Angles", kRegDword, 1, 2, DISPLAY_FIELD(Angles)},
    {"Notation", kRegDword, 3, 0, DISPLAY_FIELD(Notation)},
    {"StartUp", kRegDword, 0, 1, WINDOW_FIELD(StartUp)},
    {"Hidden", kRegDword, 0, 1, WINDOW_FIELD(Hidden)},
    {"TrayIcon", kRegDword, 1, 0, WINDOW_FIELD(TrayIcon)},
    {"Stack0", kRegBinary, 0, 1.5, GetLevel<1>, SetLevel<1>},
    {"Stack1", kRegBinary, 0, -2.25, GetLevel<2>, SetLevel<2>},
    {"Stack2", kRegBinary, 0, 3e100, GetLevel<3>, SetLevel<3>},
    {"Stack3", kRegBinary, 0, -4e-100, GetLevel<4>, SetLevel<4>},
    {"Stack4", kRegBinary, 0, 5.125, GetLevel<5>, SetLevel<5>},
    {"Stack5", kRegBinary, 0, 6e6, GetLevel<6>, SetLevel<6>},
    {"Stack6", kRegBinary, 0, -7.75, GetLevel<7>, SetLevel<7>},
    {"Stack7", kRegBinary, 0, 8e-8, GetLevel<8>, SetLevel<8>},
    {"Stack8", kRegBinary, 0, 0.1, GetLevel<9>, SetLevel<9>},
    {"Stack9", kRegBinary, 0, 1e300, GetLevel<10>, SetLevel<10>},
    {"MValue1", kRegBinary, 0, 11.5, GetMValue<1>, SetMValue<1>},
    {"MValue2", kRegBinary, 0, -12.5, GetMValue<2>, SetMValue<2>},
    {"MValue3", kRegBinary, 0, 13e13, GetMValue<3>, SetMValue<3>},
    {"MValue4", kRegBinary, 0, 0.014, GetMValue<4>, SetMValue<4>},
    {"MValue5", kRegBinary, 0, -15e-15, GetMValue<5>, SetMValue<5>},
    {"MValue6", kRegBinary, 0, 16.0625, GetMValue<6>, SetMValue<6>},
    {"MValue7", kRegBinary, 0, 1.7e307, GetMValue<7>, SetMValue<7>},
    {"MValue8", kRegBinary, 0, -18, GetMValue<8>, SetMValue<8>},
    {"MValue9", kRegBinary, 0, 19.03125, GetMValue<9>, SetMValue<9>},
    {"MKey1", kRegDword, 0, 'A', GetMKey<1>, SetMKey<1>},
    {"MKey2", kRegDword, 0, 'B', GetMKey<2>, SetMKey<2>},
    {"MKey3", kRegDword, 0, 'C', GetMKey<3>, SetMKey<3>},
    {"MKey4", kRegDword, 0, 'X', GetMKey<4>, SetMKey<4>},
    {"MKey5", kRegDword, 0, 'Y', GetMKey<5>, SetMKey<5>},
    {"MKey6", kRegDword, 0, 'Z', GetMKey<6>, SetMKey<6>},
    {"MKey7", kRegDword, 0, 'M', GetMKey<7>, SetMKey<7>},
    {"MKey8", kRegDword, 0, 'N', GetMKey<8>, SetMKey<8>},
    {"MKey9", kRegDword, 0, 'Q', GetMKey<9>, SetMKey<9>},
};

#undef WINDOW_FIELD
#undef DISPLAY_FIELD

const Row& RowOf(const std::string& name) {
  for (const Row& r : kRows) {
    if (name == r.name) return r;
  }
  throw std::logic_error("no row " + name);
}

Bytes Encode(const Row& row, double v) {
  return row.type == kRegBinary ? Binary(v) : Dword(static_cast<int32_t>(v));
}

bool IsSizeItem(const Row& row) {
  return std::string(row.name) == "Small" || std::string(row.name) == "Medium" ||
         std::string(row.name) == "Large";
}

// Fills every home with a value that is neither its default nor its sample,
// so that a home LoadSettings forgets to fill shows up.
void Scramble(Homes& h) {
  for (int i = 0; i < kStackSize; ++i) h.engine.Push(77 + i);
  for (const Row& r : kRows) {
    if (r.type == kRegBinary) continue;
    const bool plainBool = std::string(r.name) == "OnTop" || IsSizeItem(r);
    r.set(h, plainBool ? !r.fallback : 99);
  }
  for (auto& slot : h.engine.Memory) slot.value = 66;
  h.window.OnTopStored = true;
}

// Every home at its default.
void AtDefaults(Homes& h) {
  for (const Row& r : kRows) r.set(h, r.fallback);
}

// The registry of a machine where the calculator never ran: HKEY_CURRENT_USER
// has its Software key, HKEY_LOCAL_MACHINE has the list of installed programs.
void FreshMachine(MemoryRegistry& registry) {
  registry.OpenKey("Software", true);
  registry.SetRootKey(HKLM);
  registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true);
  registry.SetRootKey(HKCU);
}

struct SettingsTest : ::testing::Test {
  SettingsTest() { FreshMachine(registry); }

  void Store(const std::string& name, uint32_t type, Bytes data) {
    registry.Plant(HKCU, kKey, name, type, std::move(data));
  }
  const MemoryRegistry::Value* Saved(const std::string& name) const {
    return registry.Find(HKCU, kKey, name);
  }
  void Load(Homes& h) { LoadSettings(registry, h.engine, h.display, h.window); }
  void Save(Homes& h) { SaveSettings(registry, h.engine, h.display, h.window); }

  MemoryRegistry registry;
};

// ---- loading ------------------------------------------------------------------------

TEST_F(SettingsTest, FirstStartGivesEveryDefault) {
  Homes h;
  Scramble(h);
  Load(h);
  for (const Row& r : kRows) EXPECT_EQ(r.get(h), r.fallback) << r.name;
  EXPECT_FALSE(h.window.OnTopStored);
  // The key exists from now on, still empty.
  EXPECT_TRUE(registry.KeyExists(HKCU, kKey));
  EXPECT_FALSE(registry.HasCurrentKey());
}

TEST_F(SettingsTest, WithoutAnySettingsKeyEveryValueIsItsDefault) {
  // No HKEY_CURRENT_USER\Software, or no right to create below it: the
  // settings key can't be opened, and nothing is read from a key on the way.
  const struct {
    const char* what;
    bool software;
    MemoryRegistry::Access access;
  } cases[] = {
      {"no Software key", false, MemoryRegistry::Access::Full},
      {"Software read-only", true, MemoryRegistry::Access::ReadOnly},
      {"current user denied", true, MemoryRegistry::Access::Denied},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryRegistry reg;
    if (c.software) {
      reg.Plant(HKCU, "Software", "Left", kRegDword, Dword(500));  // must not be read
    }
    reg.SetAccess(HKCU, c.access);
    Homes h;
    Scramble(h);
    LoadSettings(reg, h.engine, h.display, h.window);
    for (const Row& r : kRows) EXPECT_EQ(r.get(h), r.fallback) << r.name;
    EXPECT_FALSE(reg.KeyExists(HKCU, kKey));
  }
}

TEST_F(SettingsTest, EachStoredValueLoadsIntoItsOwnHomeOnly) {
  for (const Row& row : kRows) {
    // Small and Medium alone lose to the default Large: see the size table.
    if (IsSizeItem(row) && std::string(row.name) != "Large") continue;
    SCOPED_TRACE(row.name);
    MemoryRegistry reg;
    FreshMachine(reg);
    reg.Plant(HKCU, kKey, row.name, row.type, Encode(row, row.sample));
    Homes h;
    Scramble(h);
    LoadSettings(reg, h.engine, h.display, h.window);
    for (const Row& other : kRows) {
      EXPECT_EQ(other.get(h), &other == &row ? row.sample : other.fallback) << other.name;
    }
  }
}

TEST_F(SettingsTest, SizeItemsActAsOneRadioGroup) {
  constexpr int kMissing = -1;
  const struct {
    int small, medium, large;           // stored, or kMissing
    bool isSmall, isMedium, isLarge;    // checked after loading
  } cases[] = {
      {1, kMissing, 1, false, false, true},
      {1, 0, 1, false, false, true},
      {1, 1, 1, false, false, true},
      {1, 0, 0, true, false, false},
      {0, 1, 0, false, true, false},
      {1, 1, 0, false, true, false},
      {2, 0, 0, true, false, false},   // any nonzero is true
      {0, 0, 0, false, false, false},  // none checked: the window applies Large
      {kMissing, kMissing, kMissing, false, false, true},
      {1, kMissing, kMissing, false, false, true},  // a missing Large is true
      {kMissing, 1, 0, false, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.small << " " << c.medium << " " << c.large);
    MemoryRegistry reg;
    FreshMachine(reg);
    const std::pair<const char*, int> stored[] = {{"Small", c.small}, {"Medium", c.medium}, {"Large", c.large}};
    for (const auto& [name, v] : stored) {
      if (v != kMissing) reg.Plant(HKCU, kKey, name, kRegDword, Dword(v));
    }
    Homes h;
    Scramble(h);
    LoadSettings(reg, h.engine, h.display, h.window);
    EXPECT_EQ(h.window.Small, c.isSmall);
    EXPECT_EQ(h.window.Medium, c.isMedium);
    EXPECT_EQ(h.window.Large, c.isLarge);
  }
}

TEST_F(SettingsTest, OnTopTellsWhetherItWasStored) {
  const struct {
    std::optional<int32_t> stored;
    bool onTop, wasStored;
  } cases[] = {
      {std::nullopt, false, false},
      {0, false, true},
      {1, true, true},
      {-5, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored.value_or(999));
    MemoryRegistry reg;
    FreshMachine(reg);
    if (c.stored) reg.Plant(HKCU, kKey, "OnTop", kRegDword, Dword(*c.stored));
    Homes h;
    Scramble(h);
    LoadSettings(reg, h.engine, h.display, h.window);
    EXPECT_EQ(h.window.OnTop, c.onTop);
    EXPECT_EQ(h.window.OnTopStored, c.wasStored);
  }
}

TEST_F(SettingsTest, ValuesAreFoundWhateverTheCaseOfTheirNames) {
  Store("LEFT", kRegDword, Dword(321));
  Store("bsz", kRegDword, Dword(3));
  Homes h;
  Load(h);
  EXPECT_EQ(h.window.Left, 321);
  EXPECT_EQ(h.display.bsZ, 3);
}

// ---- 16-bit homes ---------------------------------------------------------------------

TEST_F(SettingsTest, SixteenBitHomesKeepTheLowBitsAndSaveThemSignExtended) {
  const struct {
    const char* name;
    int32_t stored;
    Extended loaded;  // in its home
    int32_t saved;    // written back at exit
  } cases[] = {
      {"Base", 65546, 10, 10},                          // 0x1000A
      {"Decs", 0x7FFF0004, 4, 4},
      {"bsZ", 0x00010003, 3, 3},
      {"Notation", 0x18000, -32768, -32768},            // low bits 0x8000
      {"Angles", -1, -1, -1},
      {"MKey1", 0x10041, 'A', 'A'},
      {"MKey3", -66, 0xFFBE, -66},                      // key codes are unsigned in memory
      {"MKey9", 0x8000, 0x8000, -32768},
      // Booleans are nonzero as 32 bits, whatever their low bits.
      {"FixedOn", 0x10000, 1, 1},
      {"Hidden", -7, 1, 1},
      {"TrayIcon", 0, 0, 0},
      // Left and Top are 32-bit homes.
      {"Left", 0x12345678, 0x12345678, 0x12345678},
      {"Top", -70000, -70000, -70000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryRegistry reg;
    FreshMachine(reg);
    reg.Plant(HKCU, kKey, c.name, kRegDword, Dword(c.stored));
    Homes h;
    LoadSettings(reg, h.engine, h.display, h.window);
    EXPECT_EQ(RowOf(c.name).get(h), c.loaded);
    SaveSettings(reg, h.engine, h.display, h.window);
    const auto* saved = reg.Find(HKCU, kKey, c.name);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->type, kRegDword);
    EXPECT_EQ(saved->data, Dword(c.saved));
  }
}

// ---- saving ---------------------------------------------------------------------------

// The order in which values are written at exit: Decs and bsZ before Base,
// the stack from X down.
const std::vector<std::string> kSaveOrder = {
    "Left", "Top", "OnTop", "Small", "Medium", "Large", "FixedOn", "CommasOn", "TrailOn",
    "AllExpOn", "Decs", "bsZ", "Base", "Angles", "Notation", "StartUp", "Hidden", "TrayIcon",
    "Stack0", "Stack1", "Stack2", "Stack3", "Stack4", "Stack5", "Stack6", "Stack7", "Stack8",
    "Stack9", "MValue1", "MValue2", "MValue3", "MValue4", "MValue5", "MValue6", "MValue7",
    "MValue8", "MValue9", "MKey1", "MKey2", "MKey3", "MKey4", "MKey5", "MKey6", "MKey7",
    "MKey8", "MKey9"};

TEST_F(SettingsTest, EachHomeIsSavedUnderItsOwnNameOnly) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    MemoryRegistry reg;
    FreshMachine(reg);
    Homes h;
    AtDefaults(h);
    row.set(h, row.sample);
    SaveSettings(reg, h.engine, h.display, h.window);
    for (const Row& other : kRows) {
      const auto* saved = reg.Find(HKCU, kKey, other.name);
      ASSERT_NE(saved, nullptr) << other.name;
      EXPECT_EQ(saved->type, other.type) << other.name;
      EXPECT_EQ(saved->data, Encode(other, &other == &row ? row.sample : other.fallback)) << other.name;
    }
  }
}

TEST_F(SettingsTest, SaveWritesEveryValueInItsOrder) {
  Homes h;
  Save(h);
  EXPECT_EQ(registry.WrittenNames(), kSaveOrder);
  EXPECT_FALSE(registry.HasCurrentKey());
}

TEST_F(SettingsTest, BooleanHomesAreSavedAsZeroOrOne) {
  const struct {
    const char* name;
    Extended home;
    int32_t saved;
  } cases[] = {
      {"CommasOn", 5, 1}, {"AllExpOn", -1, 1}, {"FixedOn", 0, 0},
      {"Hidden", -3, 1},  {"StartUp", 256, 1}, {"TrayIcon", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryRegistry reg;
    FreshMachine(reg);
    Homes h;
    RowOf(c.name).set(h, c.home);
    SaveSettings(reg, h.engine, h.display, h.window);
    EXPECT_EQ(reg.Find(HKCU, kKey, c.name)->data, Dword(c.saved));
  }
}

// ---- round trips ----------------------------------------------------------------------

TEST_F(SettingsTest, EveryValueSurvivesARestart) {
  // One size item per case, since the group keeps only one checked.
  const struct {
    bool small, medium, large;
  } sizes[] = {{true, false, false}, {false, true, false}, {false, false, true}, {false, false, false}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(testing::Message() << size.small << size.medium << size.large);
    MemoryRegistry reg;
    FreshMachine(reg);
    Homes before;
    for (const Row& r : kRows) r.set(before, r.sample);
    before.window.Small = size.small;
    before.window.Medium = size.medium;
    before.window.Large = size.large;
    SaveSettings(reg, before.engine, before.display, before.window);

    Homes after;
    Scramble(after);
    LoadSettings(reg, after.engine, after.display, after.window);
    for (const Row& r : kRows) {
      if (IsSizeItem(r)) continue;
      EXPECT_EQ(r.get(after), r.sample) << r.name;
    }
    EXPECT_EQ(after.window.Small, size.small);
    EXPECT_EQ(after.window.Medium, size.medium);
    EXPECT_EQ(after.window.Large, size.large);
    EXPECT_TRUE(after.window.OnTopStored);
  }
}

TEST_F(SettingsTest, StackLevelsComeBackInPlace) {
  Homes before;
  for (int v = 10; v >= 1; --v) before.engine.Push(v);  // X = 1 .. level 10 = 10
  Save(before);
  for (int k = 0; k < kStackSize; ++k) {
    EXPECT_EQ(Saved("Stack" + std::to_string(k))->data, Binary(k + 1)) << "Stack" << k;
  }
  Homes after;
  Scramble(after);
  Load(after);
  for (int k = 1; k <= kStackSize; ++k) EXPECT_EQ(after.engine.Level(k), k) << "level " << k;
}

TEST_F(SettingsTest, LoadingReplacesTheWholeStack) {
  Store("Stack0", kRegBinary, Binary(42));
  Homes h;
  for (int i = 0; i < kStackSize; ++i) h.engine.Push(100 + i);
  Load(h);
  EXPECT_EQ(h.engine.Level(1), 42);
  for (int k = 2; k <= kStackSize; ++k) EXPECT_EQ(h.engine.Level(k), 0) << "level " << k;
}

// ---- numbers: rounding, range, values that are not finite ----------------------------

// The bytes SaveSettings writes for one X.
Bytes SavedX(Extended x) {
  MemoryRegistry reg;
  FreshMachine(reg);
  Homes h;
  h.engine.Push(x);
  SaveSettings(reg, h.engine, h.display, h.window);
  EXPECT_EQ(reg.WrittenNames().size(), 46u) << "every other value is still written";
  return reg.Find(HKCU, kKey, "Stack0")->data;
}

TEST_F(SettingsTest, NumbersAreSavedAsTheNearestDouble) {
  volatile Extended one = 1;  // worked at run time, not by the compiler
  volatile Extended three = 3;
  const struct {
    const char* what;
    Extended x;
    double saved;
  } cases[] = {
      // Exact literals: 1.0 / 3.0 would be worked out in extended precision on x87.
      {"1/3", one / three, 0x1.5555555555555p-2},
      {"-2/3", -2 * one / three, -0x1.5555555555555p-1},
      {"half way, to even (down)", 1 + 0x1p-53L, 1.0},
      {"half way, to even (up)", 1 + 0x3p-53L, 1 + 0x1p-51},
      {"just above half way", 1 + 0x1p-53L + 0x1p-63L, 1 + 0x1p-52},
      {"a double stays as it is", 0.1, 0.1},
      {"below the doubles", 0x1p-1100L, 0.0},
      {"a subnormal double", 0x1p-1070L, 0x1p-1070},
      {"largest double", DBL_MAX, DBL_MAX},
      {"rounds down to the largest double", static_cast<Extended>(DBL_MAX) + 0x1p969L, DBL_MAX},
      {"beyond the doubles", 1e400L, DBL_MAX},
      {"beyond the doubles, negative", -1e400L, -DBL_MAX},
      {"largest extended", LDBL_MAX, DBL_MAX},
      {"most negative extended", -LDBL_MAX, -DBL_MAX},
      {"just past rounding to the largest double", static_cast<Extended>(DBL_MAX) + 0x1p970L, DBL_MAX},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SavedX(c.x), Binary(c.saved));
  }
}

TEST_F(SettingsTest, AThirdComesBackAsTheDoubleNearestAThird) {
  volatile Extended one = 1;
  volatile Extended three = 3;
  const Extended third = one / three;
  Homes before;
  before.engine.Push(third);
  before.engine.Memory[4].value = third;
  Save(before);
  Homes after;
  Load(after);
  // The double nearest 1/3 as an exact literal: 1.0 / 3.0 is worked out in
  // extended precision where FLT_EVAL_METHOD is 2 (x87), giving the extended third.
  const Extended nearestDouble = 0x1.5555555555555p-2L;
  EXPECT_EQ(after.engine.X(), nearestDouble);
  EXPECT_NE(after.engine.X(), third);
  EXPECT_EQ(after.engine.Memory[4].value, nearestDouble);
  const uint64_t bits = 0x3FD5555555555555ULL;  // the double nearest 1/3
  Bytes expected(8);
  std::memcpy(expected.data(), &bits, 8);
  EXPECT_EQ(Saved("Stack0")->data, expected);
}

TEST_F(SettingsTest, NumbersBeyondTheDoublesComeBackAsTheLargestDouble) {
  Homes before;
  before.engine.Push(-1e1000L);
  before.engine.Push(1e1000L);
  before.engine.Memory[0].value = 1e4000L;
  before.engine.Memory[8].value = -2e308L;
  before.engine.Memory[1].value = 7;
  Save(before);
  Homes after;
  Load(after);
  EXPECT_EQ(after.engine.Level(1), DBL_MAX);
  EXPECT_EQ(after.engine.Level(2), -DBL_MAX);
  EXPECT_EQ(after.engine.Memory[0].value, DBL_MAX);
  EXPECT_EQ(after.engine.Memory[8].value, -DBL_MAX);
  EXPECT_EQ(after.engine.Memory[1].value, 7);
}

TEST_F(SettingsTest, StoredNumbersThatAreNotFiniteLoadAsZero) {
  const struct {
    const char* what;
    Bytes stored;
    Extended loaded;
  } cases[] = {
      {"+infinity", RawDouble(0x7FF0000000000000ULL), 0},
      {"-infinity", RawDouble(0xFFF0000000000000ULL), 0},
      {"quiet NaN", RawDouble(0x7FF8000000000000ULL), 0},
      {"signalling NaN", RawDouble(0x7FF0000000000001ULL), 0},
      {"negative NaN", RawDouble(0xFFFFFFFFFFFFFFFFULL), 0},
      {"largest double", Binary(DBL_MAX), DBL_MAX},
      {"smallest subnormal", RawDouble(1), 0x1p-1074L},
      {"-0", Binary(-0.0), 0},
  };
  for (const char* name : {"Stack0", "Stack9", "MValue1", "MValue9"}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << name << " " << c.what);
      MemoryRegistry reg;
      FreshMachine(reg);
      reg.Plant(HKCU, kKey, name, kRegBinary, c.stored);
      reg.Plant(HKCU, kKey, "MValue5", kRegBinary, Binary(2.5));  // a neighbour
      Homes h;
      Scramble(h);
      LoadSettings(reg, h.engine, h.display, h.window);
      const Extended v = RowOf(name).get(h);
      EXPECT_TRUE(std::isfinite(v));
      EXPECT_EQ(v, c.loaded);
      EXPECT_EQ(h.engine.Memory[4].value, 2.5);
    }
  }
}

// ---- damaged values -------------------------------------------------------------------

TEST_F(SettingsTest, DamagedValuesStopLoadingWithTheirMessage) {
  for (const auto& c : DamagedValues()) {
    SCOPED_TRACE(testing::Message() << c.name << " " << c.data.size() << " bytes of type " << c.type);
    MemoryRegistry reg;
    FreshMachine(reg);
    reg.Plant(HKCU, kKey, c.name, c.type, c.data);
    Homes h;
    try {
      LoadSettings(reg, h.engine, h.display, h.window);
      ADD_FAILURE() << "no exception";
    } catch (const RegistryError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_FALSE(reg.HasCurrentKey());
  }
}

TEST_F(SettingsTest, ValuesBeforeADamagedOneAreAlreadyApplied) {
  Store("Left", kRegDword, Dword(300));
  Store("Stack5", kRegBinary, Binary(6.5));
  Store("Stack4", kRegBinary, Binary(5.5));
  Store("Stack3", kRegBinary, Filler(10));
  Store("MValue1", kRegBinary, Binary(9));
  Homes h;
  EXPECT_THROW(Load(h), RegistryError);
  EXPECT_EQ(h.window.Left, 300);
  EXPECT_EQ(h.engine.X(), 5.5);  // Stack9 .. Stack4 were pushed
  EXPECT_EQ(h.engine.Y(), 6.5);
  EXPECT_EQ(h.engine.Memory[0].value, 0);
}

TEST_F(SettingsTest, AValueThatCannotBeWrittenStopsSaving) {
  for (const char* name : {"Left", "Base", "Stack0", "Stack9", "MValue5", "MKey9"}) {
    const std::string failing = name;
    SCOPED_TRACE(failing);
    MemoryRegistry reg;
    FreshMachine(reg);
    reg.FailWritesOf(failing);
    Homes h;
    try {
      SaveSettings(reg, h.engine, h.display, h.window);
      ADD_FAILURE() << "no exception";
    } catch (const RegistryError& e) {
      EXPECT_EQ(e.what(), "Failed to set data for '" + failing + "'");
    }
    // Everything before it in the saving order is written, nothing after it.
    const auto at = std::find(kSaveOrder.begin(), kSaveOrder.end(), failing);
    EXPECT_EQ(reg.WrittenNames(), std::vector<std::string>(kSaveOrder.begin(), at));
    EXPECT_TRUE(reg.Find(HKCU, kKey, failing) == nullptr);
    EXPECT_FALSE(reg.HasCurrentKey());
  }
}

TEST_F(SettingsTest, AtTheSessionsEndEveryValueThatCanBeWrittenIs) {
  MemoryRegistry reg;
  FreshMachine(reg);
  reg.FailWritesOf("Top");
  reg.FailWritesOf("Stack3");
  Homes h;
  for (int level = 10; level >= 1; --level) h.engine.Push(level);  // X is 1, level 4 is 4
  h.window.Left = 40;
  std::vector<std::string> failed;
  EXPECT_NO_THROW(failed = SaveSettingsAtSessionEnd(reg, h.engine, h.display, h.window));
  EXPECT_EQ(failed, (std::vector<std::string>{"Top", "Stack3"}));
  std::vector<std::string> rest = kSaveOrder;
  std::erase(rest, "Top");
  std::erase(rest, "Stack3");
  EXPECT_EQ(reg.WrittenNames(), rest);
  EXPECT_EQ(reg.Find(HKCU, kKey, "Left")->data, Dword(40));
  EXPECT_EQ(reg.Find(HKCU, kKey, "Stack2")->data, Binary(3.0));
  EXPECT_EQ(reg.Find(HKCU, kKey, "Stack4")->data, Binary(5.0));
  EXPECT_FALSE(reg.HasCurrentKey());

  // A key that can't be written at all: every value fails, nothing is thrown.
  MemoryRegistry locked;
  FreshMachine(locked);
  locked.SetAccess(HKCU, MemoryRegistry::Access::ReadOnly);
  Homes other;
  EXPECT_EQ(SaveSettingsAtSessionEnd(locked, other.engine, other.display, other.window).size(), kSaveOrder.size());
}

TEST_F(SettingsTest, ASettingsKeyThatCannotBeWrittenFailsAtTheFirstValue) {
  const struct {
    const char* what;
    bool keyExists;
    MemoryRegistry::Access access;
  } cases[] = {
      {"key can't be created", false, MemoryRegistry::Access::ReadOnly},
      {"key is read-only", true, MemoryRegistry::Access::ReadOnly},
      {"key can't be opened", true, MemoryRegistry::Access::Denied},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryRegistry reg;
    FreshMachine(reg);
    if (c.keyExists) reg.Plant(HKCU, kKey, "Left", kRegDword, Dword(17));
    reg.SetAccess(HKCU, c.access);
    Homes h;
    h.window.Left = 99;
    try {
      SaveSettings(reg, h.engine, h.display, h.window);
      ADD_FAILURE() << "no exception";
    } catch (const RegistryError& e) {
      EXPECT_STREQ(e.what(), "Failed to set data for 'Left'");
    }
    EXPECT_TRUE(reg.WrittenNames().empty());
    // Whatever could be read is still there for the next start.
    if (c.keyExists) {
      EXPECT_EQ(reg.Find(HKCU, kKey, "Left")->data, Dword(17));
    }
  }
}

// ---- the uninstall entry --------------------------------------------------------------

TEST(UninstallEntry, GoesWhereItCanBeWrittenAndNeverStopsTheStart) {
  using A = MemoryRegistry::Access;
  const struct {
    const char* what;
    A machine, user;
    bool machineEntryKeyExists;
    bool uninstallListExists;  // HKLM\...\Uninstall
    const char* failingValue;  // nullptr: none
    UninstallEntryPlace place;
  } cases[] = {
      {"administrator", A::Full, A::Full, false, true, nullptr, UninstallEntryPlace::LocalMachine},
      {"administrator, entry exists", A::Full, A::Full, true, true, nullptr, UninstallEntryPlace::LocalMachine},
      {"standard user", A::Denied, A::Full, false, true, nullptr, UninstallEntryPlace::CurrentUser},
      {"standard user, old entry readable", A::ReadOnly, A::Full, true, true, nullptr, UninstallEntryPlace::CurrentUser},
      {"no list of programs to add to", A::Full, A::Full, false, false, nullptr, UninstallEntryPlace::CurrentUser},
      {"UninstallString can't be written", A::Full, A::Full, false, true, "UninstallString", UninstallEntryPlace::Nowhere},
      {"nothing writable", A::Denied, A::ReadOnly, false, true, nullptr, UninstallEntryPlace::Nowhere},
      {"nothing openable", A::Denied, A::Denied, false, true, nullptr, UninstallEntryPlace::Nowhere},
  };
  const std::string exe = "C:\\Program Files\\Nimbrel\\Nimbrel.exe";
  const Bytes command = Text("\"C:\\Program Files\\Nimbrel\\Nimbrel.exe\" -u");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryRegistry reg;
    reg.OpenKey("Software", true);  // HKCU as on every machine: no Uninstall key yet
    reg.CloseKey();
    if (c.uninstallListExists) {
      reg.Plant(HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other", "DisplayName", kRegSz, Text("Other"));
    }
    if (c.machineEntryKeyExists) {
      reg.Plant(HKLM, kEntry, "UninstallString", kRegSz, Text("C:\\Old\\Nimbrel.exe -u"));
    }
    reg.SetAccess(HKLM, c.machine);
    reg.SetAccess(HKCU, c.user);
    if (c.failingValue != nullptr) reg.FailWritesOf(c.failingValue);

    UninstallEntryPlace place = UninstallEntryPlace::Nowhere;
    EXPECT_NO_THROW(place = WriteUninstallEntry(reg, exe));
    EXPECT_EQ(place, c.place);

    const RootKey where[] = {HKLM, HKCU};
    for (RootKey root : where) {
      const bool here = (root == HKLM && c.place == UninstallEntryPlace::LocalMachine) ||
                        (root == HKCU && c.place == UninstallEntryPlace::CurrentUser);
      SCOPED_TRACE(root == HKLM ? "HKLM" : "HKCU");
      const auto* name = reg.Find(root, kEntry, "DisplayName");
      const auto* uninstall = reg.Find(root, kEntry, "UninstallString");
      if (here) {
        ASSERT_NE(name, nullptr);
        ASSERT_NE(uninstall, nullptr);
        EXPECT_EQ(name->type, kRegSz);
        EXPECT_EQ(name->data, Text("Quarvel Calculator 1.1"));
        EXPECT_EQ(uninstall->type, kRegSz);
        EXPECT_EQ(uninstall->data, command);
      } else {
        EXPECT_TRUE(uninstall == nullptr || uninstall->data != command);
      }
    }
    // The keys above the entry under HKLM belong to Windows: never created.
    if (!c.uninstallListExists) {
      EXPECT_FALSE(reg.KeyExists(HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
    }
    EXPECT_EQ(reg.GetRootKey(), HKCU);
    EXPECT_FALSE(reg.HasCurrentKey());
  }
}

TEST(UninstallEntry, ThePathIsQuoted) {
  const struct {
    const char* exe;
    const char* command;
  } cases[] = {
      {"C:\\Program Files\\Nimbrel\\Nimbrel.exe", "\"C:\\Program Files\\Nimbrel\\Nimbrel.exe\" -u"},
      {"C:\\Nimbrel.exe", "\"C:\\Nimbrel.exe\" -u"},
      {"\"C:\\Program Files\\Nimbrel\\Nimbrel.exe\"", "\"C:\\Program Files\\Nimbrel\\Nimbrel.exe\" -u"},
      {"\\\\server\\share\\my tools\\Nimbrel.exe", "\"\\\\server\\share\\my tools\\Nimbrel.exe\" -u"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exe);
    EXPECT_EQ(UninstallCommand(c.exe), c.command);
    MemoryRegistry reg;
    FreshMachine(reg);
    ASSERT_EQ(WriteUninstallEntry(reg, c.exe), UninstallEntryPlace::LocalMachine);
    EXPECT_EQ(reg.Find(HKLM, kEntry, "UninstallString")->data, Text(c.command));
  }
}

TEST(UninstallEntry, CarriesWhatTheListOfInstalledProgramsShows) {
  for (const char* exe : {"C:\\Program Files\\Quarvel\\Nimbrel.exe", "\"C:\\Program Files\\Quarvel\\Nimbrel.exe\""}) {
    SCOPED_TRACE(exe);
    MemoryRegistry reg;
    FreshMachine(reg);
    ASSERT_EQ(WriteUninstallEntry(reg, exe, 1234), UninstallEntryPlace::LocalMachine);
    const auto value = [&](const char* name) { return reg.Find(HKLM, kEntry, name); };
    ASSERT_TRUE(value("DisplayVersion") && value("Publisher") && value("DisplayIcon") && value("EstimatedSize") &&
                value("NoModify") && value("NoRepair"));
    // The version the program's resources carry: 1.1 and a build number.
    const std::string version(value("DisplayVersion")->data.begin(), value("DisplayVersion")->data.end() - 1);
    EXPECT_EQ(value("DisplayVersion")->type, kRegSz);
    EXPECT_EQ(version.rfind("1.1.", 0), 0u) << version;
    EXPECT_EQ(version.find_first_not_of("0123456789", 4), std::string::npos) << version;
    EXPECT_GT(version.size(), 4u);
    EXPECT_EQ(value("Publisher")->data, Text("Quarvel"));
    EXPECT_EQ(value("DisplayIcon")->data, Text("C:\\Program Files\\Quarvel\\Nimbrel.exe,0"));
    EXPECT_EQ(value("EstimatedSize")->type, kRegDword);
    EXPECT_EQ(value("EstimatedSize")->data, Dword(1234));
    EXPECT_EQ(value("NoModify")->data, Dword(1));
    EXPECT_EQ(value("NoRepair")->data, Dword(1));
  }
}

TEST(UninstallEntry, IsRewrittenWithTheCurrentPath) {
  MemoryRegistry reg;
  FreshMachine(reg);
  WriteUninstallEntry(reg, "C:\\Old place\\Nimbrel.exe");
  WriteUninstallEntry(reg, "D:\\New place\\Nimbrel.exe");
  EXPECT_EQ(reg.Find(HKLM, kEntry, "UninstallString")->data, Text("\"D:\\New place\\Nimbrel.exe\" -u"));
}

}  // namespace
}  // namespace nimbrel
