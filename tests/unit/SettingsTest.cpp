// The settings store and the uninstall entry on every kind of registry
// (RegistrySuites.h): what a first start shows, every value back after a
// restart and each in its own home, the stack in its order, the 16-bit
// homes, numbers a double can't hold, damaged values, failures while
// saving, and where the uninstall entry goes.
//
// Nothing here copies the settings table. The value that carries a home is
// the one value a save changes when only that home changes; the orders of
// loading and saving are what the code was seen to read and write. The
// first start's values are written out once: they are what a user sees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "FakePlatform.h"
#include "RegistryData.h"
#include "RegistrySuites.h"
#include "core/Engine.h"
#include "display/DisplayOptions.h"
#include "settings/Settings.h"

namespace nimbrel {
namespace {

using namespace testdata;

constexpr RootKey HKCU = RootKey::CurrentUser;
constexpr RootKey HKLM = RootKey::LocalMachine;

// Everything LoadSettings fills and SaveSettings reads.
struct Homes {
  Engine engine;
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

void Load(Registry& registry, Homes& h) { LoadSettings(registry, h.engine, h.display, h.window); }
void Save(Registry& registry, Homes& h) { SaveSettings(registry, h.engine, h.display, h.window); }

// ---- the homes: every place in memory that the settings fill ----------------------------

enum class Kind {
  Integer,  // a 32-bit integer
  Short,    // a 16-bit integer
  Flag,     // a 16-bit 0-or-1 flag
  Mark,     // a menu item's check mark
  Size,     // one of the three size marks, a radio group
  Number,   // a stack level or a slot's value
  Key,      // a slot's key code, unsigned 16 bits
};

struct Home {
  std::string what;
  Kind kind;
  std::function<Extended(const Homes&)> get;
  std::function<void(Homes&, Extended)> set;
  Extended sample = 0;  // a value worth storing (flags and marks: the opposite of the first start's)
};

#define FIELD(part, field, kind, sample)                                                         \
  Home {                                                                                         \
    #part "." #field, kind, [](const Homes& h) -> Extended { return h.part.field; },             \
        [](Homes& h, Extended v) { h.part.field = static_cast<decltype(h.part.field)>(v); }, sample \
  }

std::vector<Home> MakeHomes() {
  std::vector<Home> out = {
      FIELD(window, Left, Kind::Integer, 1234),     FIELD(window, Top, Kind::Integer, -56),
      FIELD(window, OnTop, Kind::Mark, 0),          FIELD(window, Small, Kind::Size, 0),
      FIELD(window, Medium, Kind::Size, 0),         FIELD(window, Large, Kind::Size, 0),
      FIELD(window, StartUp, Kind::Flag, 0),        FIELD(window, Hidden, Kind::Flag, 0),
      FIELD(window, TrayIcon, Kind::Flag, 0),       FIELD(display, Base, Kind::Short, 16),
      FIELD(window, HotKey, Kind::Integer, 0x64B),  FIELD(window, CalcKey, Kind::Flag, 0),
      FIELD(window, TapeKept, Kind::Flag, 0),       FIELD(window, TapeShown, Kind::Flag, 0),
      FIELD(window, TapeLeft, Kind::Integer, -300), FIELD(window, TapeTop, Kind::Integer, 40),
      FIELD(window, TapeWidth, Kind::Integer, 420), FIELD(window, TapeHeight, Kind::Integer, 260),
      FIELD(display, FixedOn, Kind::Flag, 0),       FIELD(display, Decs, Kind::Short, 7),
      FIELD(display, CommasOn, Kind::Flag, 0),      FIELD(display, TrailOn, Kind::Flag, 0),
      FIELD(display, AllExpOn, Kind::Flag, 0),      FIELD(display, bsZ, Kind::Short, 3),
      FIELD(display, Notation, Kind::Short, 2),     FIELD(display, Angles, Kind::Short, 2),
  };
  const Extended levels[kStackSize] = {1.5, -2.25, 3e100, -4e-100, 5.125, 6e6, -7.75, 8e-8, 0.1, 1e300};
  for (int k = 1; k <= kStackSize; ++k) {
    out.push_back({"stack level " + std::to_string(k), Kind::Number,
                   [k](const Homes& h) { return h.engine.Level(k); },
                   [k](Homes& h, Extended v) { h.SetLevel(k, v); }, levels[k - 1]});
  }
  const Extended values[kMemorySlots] = {11.5, -12.5, 13e13, 0.014, -15e-15, 16.0625, 1.7e307, -18, 19.03125};
  const char keys[kMemorySlots + 1] = "ABCXYZMNQ";
  for (int s = 0; s < kMemorySlots; ++s) {
    const std::string slot = "memory slot " + std::to_string(s + 1);
    out.push_back({slot + " value", Kind::Number, [s](const Homes& h) { return h.engine.Memory[s].value; },
                   [s](Homes& h, Extended v) { h.engine.Memory[s].value = v; }, values[s]});
    out.push_back({slot + " key", Kind::Key, [s](const Homes& h) -> Extended { return h.engine.Memory[s].key; },
                   [s](Homes& h, Extended v) { h.engine.Memory[s].key = static_cast<uint16_t>(v); },
                   static_cast<Extended>(keys[s])});
  }
  return out;
}

#undef FIELD

const std::vector<Home>& AllHomes() {
  static const std::vector<Home> homes = MakeHomes();
  return homes;
}

size_t IndexOf(std::string_view what) {
  const auto& homes = AllHomes();
  for (size_t i = 0; i < homes.size(); ++i) {
    if (homes[i].what == what) return i;
  }
  ADD_FAILURE() << "no home " << what;
  return 0;
}
const Home& HomeOf(std::string_view what) { return AllHomes()[IndexOf(what)]; }

std::vector<Extended> Values(const Homes& h) {
  std::vector<Extended> out;
  for (const Home& home : AllHomes()) out.push_back(home.get(h));
  return out;
}

bool IsTwoValued(Kind kind) { return kind == Kind::Flag || kind == Kind::Mark || kind == Kind::Size; }

// A value as the header says it is kept: numbers as 8-byte REG_BINARY
// doubles, everything else as a REG_DWORD, flags and marks 0 or 1, key
// codes sign-extended from their 16 bits.
RawValue Encoded(const Home& home, Extended v) {
  if (home.kind == Kind::Number) return {kRegBinary, Binary(static_cast<double>(v))};
  if (IsTwoValued(home.kind)) return {kRegDword, Dword(v != 0 ? 1 : 0)};
  if (home.kind == Kind::Key) return {kRegDword, Dword(static_cast<int16_t>(static_cast<uint16_t>(v)))};
  return {kRegDword, Dword(static_cast<int32_t>(v))};
}

// Every value a save stores, by name: a first start, changed by `change`,
// saved into a fresh registry.
using Stored = std::map<std::string, RawValue>;
Stored StoredAfter(RegistrySession& s, const std::function<void(Homes&)>& change) {
  s.FreshMachine();
  Homes h;
  Load(s.reg(), h);
  change(h);
  s.reg().written.clear();
  Save(s.reg(), h);
  Stored out;
  for (const std::string& name : s.reg().written) {
    out[name] = s.backend().Find(HKCU, kSettingsKey, name).value_or(RawValue{});
  }
  return out;
}

std::vector<std::string> Differing(const Stored& a, const Stored& b) {
  std::vector<std::string> out;
  for (const auto& [name, value] : b) {
    const auto it = a.find(name);
    if (it == a.end() || it->second != value) out.push_back(name);
  }
  for (const auto& [name, value] : a) {
    if (b.count(name) == 0) out.push_back(name);
  }
  return out;
}

// What the code is seen to do, on the in-memory registry.
struct Reference {
  std::vector<Extended> firstStart;    // each home after loading from nothing
  std::vector<std::string> carrier;    // the value that carries each home ("": no one value does)
  std::vector<std::string> loadOrder;  // the values in the order loading looks them up
  std::vector<std::string> saveOrder;  // ... and saving writes them
};

Extended SampleFor(const Home& home, Extended firstStart) {
  return IsTwoValued(home.kind) ? (firstStart != 0 ? 0 : 1) : home.sample;
}

Reference Derive() {
  Reference ref;
  RegistrySession s(InMemory());
  s.FreshMachine();
  Homes first;
  Load(s.reg(), first);
  ref.firstStart = Values(first);
  ref.loadOrder = s.reg().lookedUp;
  const Stored base = StoredAfter(s, [](Homes&) {});
  ref.saveOrder = s.reg().written;
  const auto& homes = AllHomes();
  for (size_t i = 0; i < homes.size(); ++i) {
    const Extended sample = SampleFor(homes[i], ref.firstStart[i]);
    const auto diff = Differing(base, StoredAfter(s, [&](Homes& h) { homes[i].set(h, sample); }));
    ref.carrier.push_back(diff.size() == 1 ? diff[0] : "");
  }
  return ref;
}

const Reference& Ref() {
  static const Reference ref = Derive();
  return ref;
}

Extended FirstStart(const Home& home) { return Ref().firstStart[&home - AllHomes().data()]; }
Extended Sample(const Home& home) { return SampleFor(home, FirstStart(home)); }
std::string CarrierOf(const Home& home) {
  const std::string& name = Ref().carrier[&home - AllHomes().data()];
  EXPECT_FALSE(name.empty()) << home.what << " has no value of its own (see EveryHomeHasAValueOfItsOwn)";
  return name;
}
std::string CarrierOf(std::string_view what) { return CarrierOf(HomeOf(what)); }

// Fills every home with a value that is neither its first start's nor its
// sample (marks, having two values only, take the opposite of the first
// start's), so that a home loading forgets to fill shows up.
void Scramble(Homes& h) {
  for (int i = 0; i < kStackSize; ++i) h.engine.Push(77 + i);
  for (const Home& home : AllHomes()) {
    switch (home.kind) {
      case Kind::Number: if (home.what.rfind("memory", 0) == 0) home.set(h, 66); break;
      case Kind::Mark:
      case Kind::Size: home.set(h, FirstStart(home) != 0 ? 0 : 1); break;
      case Kind::Flag: home.set(h, 5); break;
      default: home.set(h, 99); break;
    }
  }
  h.window.OnTopStored = true;
}

// The calculator at its very first start, as a user meets it: the Large
// layout at the top left of the screen, not on top, with its tray icon and
// no start-up shortcut; numbers in base 10, fixed with 4 decimals, commas
// and trailing zeros, the exponent only when needed in steps of 1; options
// preset 3 and angle unit 1; an empty stack and nine empty, unbound slots.
void ExpectFirstStart(const Homes& h) {
  const WindowSettings& w = h.window;
  EXPECT_EQ(w.Left, 0);
  EXPECT_EQ(w.Top, 0);
  EXPECT_FALSE(w.OnTop);
  EXPECT_FALSE(w.Small);
  EXPECT_FALSE(w.Medium);
  EXPECT_TRUE(w.Large);
  EXPECT_EQ(w.StartUp, 0);
  EXPECT_EQ(w.Hidden, 0);
  EXPECT_EQ(w.TrayIcon, 1);
  const DisplayOptions& d = h.display;
  EXPECT_EQ(d.Base, 10);
  EXPECT_EQ(d.FixedOn, 1);
  EXPECT_EQ(d.Decs, 4);
  EXPECT_EQ(d.CommasOn, 1);
  EXPECT_EQ(d.TrailOn, 1);
  EXPECT_EQ(d.AllExpOn, 0);
  EXPECT_EQ(d.bsZ, 1);
  EXPECT_EQ(d.Notation, 3);
  EXPECT_EQ(d.Angles, 1);
  for (int k = 1; k <= kStackSize; ++k) EXPECT_EQ(h.engine.Level(k), 0) << "level " << k;
  for (int s = 0; s < kMemorySlots; ++s) {
    EXPECT_EQ(h.engine.Memory[s].value, 0) << "slot " << s + 1;
    EXPECT_EQ(h.engine.Memory[s].key, 0) << "slot " << s + 1;
  }
}

std::string Joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += " " + n;
  return out;
}

}  // namespace

// ---- loading ------------------------------------------------------------------------

TEST_P(SettingsStore, FirstStartShowsTheDefaultsAndMakesTheKey) {
  Homes h;
  Scramble(h);
  Load(reg(), h);
  ExpectFirstStart(h);
  EXPECT_FALSE(h.window.OnTopStored);
  // The key exists from now on, still empty.
  EXPECT_TRUE(backend().KeyExists(HKCU, kSettingsKey));
  EXPECT_FALSE(reg().HasCurrentKey());
}

TEST_P(SettingsStore, WithoutAnySettingsKeyEveryValueIsItsDefault) {
  // No HKEY_CURRENT_USER\Software, or no right to create below it: the
  // settings key can't be opened, and nothing is read from a key on the way.
  using Lock = RegistryBackend::Lock;
  const struct {
    const char* what;
    bool software;
    std::optional<Lock> lock;
  } cases[] = {
      {"no Software key", false, std::nullopt},
      {"Software read-only", true, Lock::ReadOnly},
      {"current user denied", true, Lock::Denied},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    if (c.software) {
      backend().Plant(HKCU, "Software", CarrierOf("window.Left"), kRegDword, Dword(500));  // must not be read
    }
    if (c.lock) backend().LockRoot(HKCU, *c.lock);
    Homes h;
    Scramble(h);
    Load(reg(), h);
    ExpectFirstStart(h);
    EXPECT_FALSE(backend().KeyExists(HKCU, kSettingsKey));
  }
}

TEST_P(SettingsStore, EveryHomeHasAValueOfItsOwn) {
  // Changing one home alone changes exactly one stored value, kept as its
  // kind is kept; no two homes share a value, and no value is saved that
  // carries no home.
  const Stored base = StoredAfter(session(), [](Homes&) {});
  std::set<std::string> carriers;
  for (const Home& home : AllHomes()) {
    SCOPED_TRACE(home.what);
    const Extended sample = Sample(home);
    ASSERT_NE(sample, FirstStart(home)) << "the sample must differ from the first start";
    const Stored stored = StoredAfter(session(), [&](Homes& h) { home.set(h, sample); });
    const std::vector<std::string> diff = Differing(base, stored);
    ASSERT_EQ(diff.size(), 1u) << "values changed:" << Joined(diff);
    EXPECT_EQ(stored.at(diff[0]), Encoded(home, sample));
    EXPECT_EQ(base.at(diff[0]), Encoded(home, FirstStart(home)));
    EXPECT_TRUE(carriers.insert(diff[0]).second) << diff[0] << " carries two homes";
  }
  for (const auto& [name, value] : base) EXPECT_EQ(carriers.count(name), 1u) << name << " carries no home";
}

TEST_P(SettingsStore, EachStoredValueLoadsIntoItsOwnHomeOnly) {
  for (const Home& home : AllHomes()) {
    // A size mark checked alone loses to the Large that a missing value
    // means: see SizeItemsActAsOneRadioGroup.
    if (home.kind == Kind::Size && Sample(home) != 0) continue;
    SCOPED_TRACE(home.what);
    FreshMachine();
    backend().Plant(HKCU, kSettingsKey, CarrierOf(home), Encoded(home, Sample(home)).type,
                    Encoded(home, Sample(home)).data);
    Homes h;
    Scramble(h);
    home.set(h, FirstStart(home));  // a home loading forgets keeps a value other than the sample
    Load(reg(), h);
    for (const Home& other : AllHomes()) {
      EXPECT_EQ(other.get(h), &other == &home ? Sample(home) : FirstStart(other)) << other.what;
    }
  }
}

TEST_P(SettingsStore, SavingWritesEveryValueThatLoadingReads) {
  Homes h;
  Save(reg(), h);
  std::vector<std::string> written = reg().written;
  EXPECT_FALSE(reg().HasCurrentKey());
  reg().lookedUp.clear();
  Homes after;
  Load(reg(), after);
  std::vector<std::string> read = reg().lookedUp;
  EXPECT_FALSE(reg().HasCurrentKey());
  std::sort(written.begin(), written.end());
  std::sort(read.begin(), read.end());
  EXPECT_EQ(written, read);
  EXPECT_EQ(std::adjacent_find(written.begin(), written.end()), written.end()) << "a value written twice";
  EXPECT_EQ(written.size(), AllHomes().size()) << "one value for each home";
}

TEST_P(SettingsStore, SizeItemsActAsOneRadioGroup) {
  constexpr int kMissing = -1;
  const struct {
    int small, medium, large;         // stored, or kMissing
    bool isSmall, isMedium, isLarge;  // checked after loading
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
    FreshMachine();
    const std::pair<const char*, int> stored[] = {
        {"window.Small", c.small}, {"window.Medium", c.medium}, {"window.Large", c.large}};
    for (const auto& [what, v] : stored) {
      if (v != kMissing) backend().Plant(HKCU, kSettingsKey, CarrierOf(what), kRegDword, Dword(v));
    }
    Homes h;
    Scramble(h);
    Load(reg(), h);
    EXPECT_EQ(h.window.Small, c.isSmall);
    EXPECT_EQ(h.window.Medium, c.isMedium);
    EXPECT_EQ(h.window.Large, c.isLarge);
  }
}

TEST_P(SettingsStore, OnTopTellsWhetherItWasStored) {
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
    FreshMachine();
    if (c.stored) backend().Plant(HKCU, kSettingsKey, CarrierOf("window.OnTop"), kRegDword, Dword(*c.stored));
    Homes h;
    Scramble(h);
    Load(reg(), h);
    EXPECT_EQ(h.window.OnTop, c.onTop);
    EXPECT_EQ(h.window.OnTopStored, c.wasStored);
  }
}

TEST_P(SettingsStore, ValuesAreFoundWhateverTheCaseOfTheirNames) {
  std::string upper = CarrierOf("window.Left"), lower = CarrierOf("display.bsZ");
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  ASSERT_NE(upper, CarrierOf("window.Left"));
  ASSERT_NE(lower, CarrierOf("display.bsZ"));
  backend().Plant(HKCU, kSettingsKey, upper, kRegDword, Dword(321));
  backend().Plant(HKCU, kSettingsKey, lower, kRegDword, Dword(3));
  Homes h;
  Load(reg(), h);
  EXPECT_EQ(h.window.Left, 321);
  EXPECT_EQ(h.display.bsZ, 3);
}

// ---- 16-bit homes and flags -------------------------------------------------------------

TEST_P(SettingsStore, SixteenBitHomesKeepTheLowBitsAndSaveThemSignExtended) {
  const struct {
    const char* home;
    int32_t stored;
    Extended loaded;  // in its home
    int32_t saved;    // written back at exit
  } cases[] = {
      {"display.Base", 65546, 10, 10},  // 0x1000A
      {"display.Decs", 0x7FFF0004, 4, 4},
      {"display.bsZ", 0x00010003, 3, 3},
      {"display.Decs", 0x18000, -32768, -32768},  // low bits 0x8000
      {"display.bsZ", -1, -1, -1},
      {"display.Notation", 0x10002, 2, 2},
      {"display.Angles", 0x20000, 0, 0},
      {"memory slot 1 key", 0x10041, 'A', 'A'},
      {"memory slot 3 key", 0x7FFF005A, 'Z', 'Z'},
      {"memory slot 9 key", -65471, 'A', 'A'},  // 0xFFFF0041
      // Flags are nonzero as 32 bits, whatever their low bits.
      {"display.FixedOn", 0x10000, 1, 1},
      {"window.Hidden", -7, 1, 1},
      {"window.TrayIcon", 0, 0, 0},
      // Left and Top are 32-bit homes.
      {"window.Left", 0x12345678, 0x12345678, 0x12345678},
      {"window.Top", -70000, -70000, -70000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.home);
    FreshMachine();
    const std::string name = CarrierOf(c.home);
    backend().Plant(HKCU, kSettingsKey, name, kRegDword, Dword(c.stored));
    Homes h;
    Load(reg(), h);
    EXPECT_EQ(HomeOf(c.home).get(h), c.loaded);
    Save(reg(), h);
    EXPECT_EQ(backend().Find(HKCU, kSettingsKey, name), (RawValue{kRegDword, Dword(c.saved)}));
  }
}

TEST_P(SettingsStore, FlagsAndMarksAreSavedAsZeroOrOne) {
  for (const Home& home : AllHomes()) {
    if (!IsTwoValued(home.kind)) continue;
    for (const Extended inMemory : {0.0L, 1.0L, 5.0L, -3.0L, 256.0L}) {
      SCOPED_TRACE(testing::Message() << home.what << " " << static_cast<double>(inMemory));
      FreshMachine();
      Homes h;
      home.set(h, inMemory);
      const int32_t expected = home.get(h) != 0 ? 1 : 0;
      Save(reg(), h);
      EXPECT_EQ(backend().Find(HKCU, kSettingsKey, CarrierOf(home)), (RawValue{kRegDword, Dword(expected)}));
    }
  }
}

// ---- round trips ----------------------------------------------------------------------

TEST_P(SettingsStore, EveryValueSurvivesARestart) {
  // One size mark per case, since the group keeps only one checked.
  const struct {
    bool small, medium, large;
  } sizes[] = {{true, false, false}, {false, true, false}, {false, false, true}, {false, false, false}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(testing::Message() << size.small << size.medium << size.large);
    FreshMachine();
    Homes before;
    for (const Home& home : AllHomes()) {
      if (home.kind != Kind::Size) home.set(before, Sample(home));
    }
    before.window.Small = size.small;
    before.window.Medium = size.medium;
    before.window.Large = size.large;
    const std::vector<Extended> values = Values(before);
    Save(reg(), before);
    // As stored, read from outside the code under test.
    for (size_t i = 0; i < AllHomes().size(); ++i) {
      const Home& home = AllHomes()[i];
      EXPECT_EQ(backend().Find(HKCU, kSettingsKey, CarrierOf(home)), Encoded(home, values[i])) << home.what;
    }
    Homes after;
    Scramble(after);
    Load(reg(), after);
    EXPECT_EQ(Values(after), values);
    EXPECT_TRUE(after.window.OnTopStored);
  }
}

TEST_P(SettingsStore, StackLevelsComeBackInPlace) {
  // X stays X after a restart, level 10 stays level 10.
  Homes before;
  for (int v = kStackSize; v >= 1; --v) before.engine.Push(v);  // X = 1 .. level 10 = 10
  Save(reg(), before);
  for (int k = 1; k <= kStackSize; ++k) {
    EXPECT_EQ(backend().Find(HKCU, kSettingsKey, CarrierOf("stack level " + std::to_string(k))),
              (RawValue{kRegBinary, Binary(k)}))
        << "level " << k;
  }
  Homes after;
  Scramble(after);
  Load(reg(), after);
  for (int k = 1; k <= kStackSize; ++k) EXPECT_EQ(after.engine.Level(k), k) << "level " << k;
}

TEST_P(SettingsStore, LoadingReplacesTheWholeStack) {
  backend().Plant(HKCU, kSettingsKey, CarrierOf("stack level 1"), kRegBinary, Binary(42));
  Homes h;
  for (int i = 0; i < kStackSize; ++i) h.engine.Push(100 + i);
  Load(reg(), h);
  EXPECT_EQ(h.engine.Level(1), 42);
  for (int k = 2; k <= kStackSize; ++k) EXPECT_EQ(h.engine.Level(k), 0) << "level " << k;
}

// ---- numbers: rounding, range, values that are not finite ----------------------------

TEST_P(SettingsStore, NumbersAreSavedAsTheNearestDouble) {
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
  const std::string x = CarrierOf("stack level 1");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    Homes h;
    h.engine.Push(c.x);
    Save(reg(), h);
    EXPECT_EQ(reg().written.size(), Ref().saveOrder.size()) << "every other value is still written";
    EXPECT_EQ(backend().Find(HKCU, kSettingsKey, x), (RawValue{kRegBinary, Binary(c.saved)}));
  }
}

TEST_P(SettingsStore, AThirdComesBackAsTheDoubleNearestAThird) {
  volatile Extended one = 1;
  volatile Extended three = 3;
  const Extended third = one / three;
  Homes before;
  before.engine.Push(third);
  before.engine.Memory[4].value = third;
  Save(reg(), before);
  EXPECT_EQ(backend().Find(HKCU, kSettingsKey, CarrierOf("stack level 1")),
            (RawValue{kRegBinary, RawDouble(0x3FD5555555555555ULL)}));  // the double nearest 1/3
  Homes after;
  Load(reg(), after);
  // The double nearest 1/3 as an exact literal: 1.0 / 3.0 is worked out in
  // extended precision where FLT_EVAL_METHOD is 2 (x87), giving the extended third.
  const Extended nearestDouble = 0x1.5555555555555p-2L;
  EXPECT_EQ(after.engine.X(), nearestDouble);
  EXPECT_NE(after.engine.X(), third);
  EXPECT_EQ(after.engine.Memory[4].value, nearestDouble);
}

TEST_P(SettingsStore, NumbersBeyondTheDoublesComeBackAsTheLargestDouble) {
  Homes before;
  before.engine.Push(-1e1000L);
  before.engine.Push(1e1000L);
  before.engine.Memory[0].value = 1e4000L;
  before.engine.Memory[8].value = -2e308L;
  before.engine.Memory[1].value = 7;
  Save(reg(), before);
  Homes after;
  Load(reg(), after);
  EXPECT_EQ(after.engine.Level(1), DBL_MAX);
  EXPECT_EQ(after.engine.Level(2), -DBL_MAX);
  EXPECT_EQ(after.engine.Memory[0].value, DBL_MAX);
  EXPECT_EQ(after.engine.Memory[8].value, -DBL_MAX);
  EXPECT_EQ(after.engine.Memory[1].value, 7);
}

TEST_P(SettingsStore, StoredNumbersThatAreNotFiniteLoadAsZero) {
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
  for (const char* what : {"stack level 1", "stack level 2", "stack level 10", "memory slot 1 value",
                           "memory slot 2 value", "memory slot 9 value"}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << what << " " << c.what);
      FreshMachine();
      backend().Plant(HKCU, kSettingsKey, CarrierOf(what), kRegBinary, c.stored);
      backend().Plant(HKCU, kSettingsKey, CarrierOf("memory slot 5 value"), kRegBinary, Binary(2.5));  // a neighbour
      Homes h;
      Scramble(h);
      Load(reg(), h);
      const Extended v = HomeOf(what).get(h);
      EXPECT_TRUE(std::isfinite(v));
      EXPECT_EQ(v, c.loaded);
      EXPECT_EQ(h.engine.Memory[4].value, 2.5);
    }
  }
}

// ---- damaged values -------------------------------------------------------------------

TEST_P(SettingsStore, DamagedValuesStopLoadingWithTheirMessage) {
  // Integers, flags and key codes are read into a 4-byte buffer, numbers
  // into an 8-byte one that must be filled by exactly 8 bytes of REG_BINARY.
  constexpr const char* kGet = "Failed to get data for";
  constexpr const char* kType = "Invalid data type for";
  const struct {
    const char* home;
    uint32_t type;
    Bytes data;
    const char* message;
  } cases[] = {
      {"window.Left", kRegSz, Text("abc"), kType},
      {"window.Left", kRegSz, Text("abcd"), kGet},
      {"window.Left", kRegBinary, Filler(4), kType},
      {"window.Top", kRegQword, Filler(8), kGet},
      {"window.Top", kRegDword, Filler(5), kGet},
      {"window.OnTop", kRegSz, Text("1"), kType},
      {"display.Decs", kRegBinary, Filler(2), kType},
      {"window.TrayIcon", kRegExpandSz, Text("%A"), kType},
      {"memory slot 9 key", kRegBinary, Filler(8), kGet},
      {"memory slot 1 key", kRegNone, Bytes{}, kType},
      {"stack level 4", kRegBinary, Filler(10), kGet},
      {"stack level 4", kRegBinary, Filler(4), kType},
      {"stack level 4", kRegBinary, Filler(9), kGet},
      {"stack level 1", kRegBinary, Bytes{}, kType},
      {"stack level 10", kRegBinary, Filler(7), kType},
      {"memory slot 9 value", kRegDword, Dword(5), kType},
      {"memory slot 1 value", kRegSz, Text("1234567"), kType},
      {"memory slot 1 value", kRegSz, Text("12345678"), kGet},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.home << ": " << c.data.size() << " bytes of type " << c.type);
    FreshMachine();
    const std::string name = CarrierOf(c.home);
    backend().Plant(HKCU, kSettingsKey, name, c.type, c.data);
    Homes h;
    try {
      Load(reg(), h);
      ADD_FAILURE() << "no exception";
    } catch (const RegistryError& e) {
      EXPECT_EQ(e.what(), std::string(c.message) + " '" + name + "'");
    }
    EXPECT_FALSE(reg().HasCurrentKey());
  }
}

TEST_P(SettingsStore, ADamagedValueLeavesEveryHomeAsItWas) {
  // Every value stored, then one damaged, first, in the middle of the stack
  // and last: loading reads on up to it and throws, and not one home has
  // changed, the stack included, although values before it were read.
  Homes planted;
  for (const Home& home : AllHomes()) {
    if (home.kind != Kind::Size) home.set(planted, Sample(home));
  }
  Save(reg(), planted);
  const std::vector<std::string>& order = Ref().loadOrder;
  ASSERT_FALSE(order.empty());
  for (const std::string& damaged : {order.front(), CarrierOf("stack level 4"), order.back()}) {
    SCOPED_TRACE(damaged);
    backend().Plant(HKCU, kSettingsKey, damaged, kRegBinary, Filler(10));
    reg().lookedUp.clear();
    Homes h;
    Scramble(h);
    const std::vector<Extended> scrambled = Values(h);
    const WindowSettings window = h.window;
    EXPECT_THROW(Load(reg(), h), RegistryError);
    ASSERT_FALSE(reg().lookedUp.empty());
    EXPECT_EQ(reg().lookedUp.back(), damaged) << "loading goes on after the damaged value";
    EXPECT_EQ(Values(h), scrambled);
    EXPECT_EQ(h.window.OnTopStored, window.OnTopStored);
    EXPECT_FALSE(reg().HasCurrentKey());
    // Put it back for the next round.
    Homes again;
    for (const Home& home : AllHomes()) {
      if (home.kind != Kind::Size) home.set(again, Sample(home));
    }
    Save(reg(), again);
  }
}

// ---- failures while saving ---------------------------------------------------------------

TEST_P(SettingsStore, AValueThatCannotBeWrittenStopsSaving) {
  const std::vector<std::string>& order = Ref().saveOrder;
  ASSERT_FALSE(order.empty());
  for (auto at = order.begin(); at != order.end(); ++at) {
    const std::string& failing = *at;
    SCOPED_TRACE(failing);
    FreshMachine();
    reg().FailWritesOf(failing);
    Homes h;
    try {
      Save(reg(), h);
      ADD_FAILURE() << "no exception";
    } catch (const RegistryError& e) {
      EXPECT_EQ(e.what(), "Failed to set data for '" + failing + "'");
    }
    // Everything written before it in a save that succeeds is stored,
    // nothing from it on.
    EXPECT_EQ(reg().written, std::vector<std::string>(order.begin(), at));
    for (auto v = order.begin(); v != order.end(); ++v) {
      EXPECT_EQ(backend().Find(HKCU, kSettingsKey, *v).has_value(), v < at) << *v;
    }
    EXPECT_FALSE(reg().HasCurrentKey());
  }
}

TEST_P(SettingsStore, AtTheSessionsEndEveryValueThatCanBeWrittenIs) {
  const std::string top = CarrierOf("window.Top"), level4 = CarrierOf("stack level 4");
  reg().FailWritesOf(top);
  reg().FailWritesOf(level4);
  Homes h;
  for (int level = kStackSize; level >= 1; --level) h.engine.Push(level);  // X is 1, level 4 is 4
  h.window.Left = 40;
  std::vector<std::string> failed;
  EXPECT_NO_THROW(failed = SaveSettingsAtSessionEnd(reg(), h.engine, h.display, h.window));
  std::vector<std::string> expectedFailed, rest;
  for (const std::string& name : Ref().saveOrder) {
    (name == top || name == level4 ? expectedFailed : rest).push_back(name);
  }
  EXPECT_EQ(failed, expectedFailed);
  EXPECT_EQ(reg().written, rest);
  EXPECT_FALSE(backend().Find(HKCU, kSettingsKey, top).has_value());
  EXPECT_FALSE(backend().Find(HKCU, kSettingsKey, level4).has_value());
  EXPECT_EQ(backend().Find(HKCU, kSettingsKey, CarrierOf("window.Left")), (RawValue{kRegDword, Dword(40)}));
  EXPECT_EQ(backend().Find(HKCU, kSettingsKey, CarrierOf("stack level 3")), (RawValue{kRegBinary, Binary(3.0)}));
  EXPECT_EQ(backend().Find(HKCU, kSettingsKey, CarrierOf("stack level 5")), (RawValue{kRegBinary, Binary(5.0)}));
  EXPECT_FALSE(reg().HasCurrentKey());

  // A key that can't be written at all: every value fails, nothing is thrown.
  FreshMachine();
  backend().LockRoot(HKCU, RegistryBackend::Lock::ReadOnly);
  Homes other;
  EXPECT_EQ(SaveSettingsAtSessionEnd(reg(), other.engine, other.display, other.window), Ref().saveOrder);
}

TEST_P(SettingsStore, ASettingsKeyThatCannotBeWrittenFailsAtTheFirstValue) {
  using Lock = RegistryBackend::Lock;
  const struct {
    const char* what;
    bool keyExists;
    Lock lock;
  } cases[] = {
      {"key can't be created", false, Lock::ReadOnly},
      {"key is read-only", true, Lock::ReadOnly},
      {"key can't be opened", true, Lock::Denied},
  };
  const std::string first = Ref().saveOrder.front();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    if (c.keyExists) backend().Plant(HKCU, kSettingsKey, first, kRegDword, Dword(17));
    backend().LockRoot(HKCU, c.lock);
    Homes h;
    for (const Home& home : AllHomes()) home.set(h, Sample(home));
    try {
      Save(reg(), h);
      ADD_FAILURE() << "no exception";
    } catch (const RegistryError& e) {
      EXPECT_EQ(e.what(), "Failed to set data for '" + first + "'");
    }
    EXPECT_TRUE(reg().written.empty());
    // Whatever could be read is still there for the next start.
    if (c.keyExists) {
      EXPECT_EQ(backend().Find(HKCU, kSettingsKey, first), (RawValue{kRegDword, Dword(17)}));
    } else {
      EXPECT_FALSE(backend().KeyExists(HKCU, kSettingsKey));
    }
  }
}

// ---- the uninstall entry --------------------------------------------------------------

namespace {
const std::string kUninstallList = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
}

TEST_P(UninstallEntry, GoesWhereItCanBeWrittenAndNeverStopsTheStart) {
  using Lock = RegistryBackend::Lock;
  const std::optional<Lock> kFull;
  const struct {
    const char* what;
    std::optional<Lock> machine, user;
    bool machineEntryKeyExists;
    bool uninstallListExists;  // HKLM\...\Uninstall
    const char* failingValue;  // nullptr: none
    UninstallEntryPlace place;
  } cases[] = {
      {"administrator", kFull, kFull, false, true, nullptr, UninstallEntryPlace::LocalMachine},
      {"administrator, entry exists", kFull, kFull, true, true, nullptr, UninstallEntryPlace::LocalMachine},
      {"standard user", Lock::Denied, kFull, false, true, nullptr, UninstallEntryPlace::CurrentUser},
      {"standard user, old entry readable", Lock::ReadOnly, kFull, true, true, nullptr, UninstallEntryPlace::CurrentUser},
      {"no list of programs to add to", kFull, kFull, false, false, nullptr, UninstallEntryPlace::CurrentUser},
      {"UninstallString can't be written", kFull, kFull, false, true, "UninstallString", UninstallEntryPlace::Nowhere},
      {"nothing writable", Lock::Denied, Lock::ReadOnly, false, true, nullptr, UninstallEntryPlace::Nowhere},
      {"nothing openable", Lock::Denied, Lock::Denied, false, true, nullptr, UninstallEntryPlace::Nowhere},
  };
  const std::string exe = "C:\\Program Files\\Nimbrel\\Nimbrel.exe";
  const Bytes command = Text("\"C:\\Program Files\\Nimbrel\\Nimbrel.exe\" -u");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    backend().MakeKey(HKCU, "Software");  // HKCU as on every machine: no Uninstall key yet
    if (c.uninstallListExists) backend().Plant(HKLM, kUninstallList + "\\Other", "DisplayName", kRegSz, Text("Other"));
    if (c.machineEntryKeyExists) {
      backend().Plant(HKLM, kUninstallKey, "UninstallString", kRegSz, Text("C:\\Old\\Nimbrel.exe -u"));
    }
    if (c.machine) backend().LockRoot(HKLM, *c.machine);
    if (c.user) backend().LockRoot(HKCU, *c.user);
    if (c.failingValue != nullptr) reg().FailWritesOf(c.failingValue);

    UninstallEntryPlace place = UninstallEntryPlace::Nowhere;
    EXPECT_NO_THROW(place = WriteUninstallEntry(reg(), exe));
    EXPECT_EQ(place, c.place);

    for (RootKey root : {HKLM, HKCU}) {
      const bool here = (root == HKLM && c.place == UninstallEntryPlace::LocalMachine) ||
                        (root == HKCU && c.place == UninstallEntryPlace::CurrentUser);
      SCOPED_TRACE(root == HKLM ? "HKLM" : "HKCU");
      const auto name = backend().Find(root, kUninstallKey, "DisplayName");
      const auto uninstall = backend().Find(root, kUninstallKey, "UninstallString");
      if (here) {
        EXPECT_EQ(name, (RawValue{kRegSz, Text("Quarvel Calculator 1.1")}));
        EXPECT_EQ(uninstall, (RawValue{kRegSz, command}));
      } else {
        EXPECT_TRUE(!uninstall || uninstall->data != command);
      }
    }
    if (c.machineEntryKeyExists && c.place != UninstallEntryPlace::LocalMachine) {
      EXPECT_EQ(backend().Find(HKLM, kUninstallKey, "UninstallString"),
                (RawValue{kRegSz, Text("C:\\Old\\Nimbrel.exe -u")}));
    }
    // The keys above the entry under HKLM belong to Windows: never created.
    if (!c.uninstallListExists) {
      EXPECT_FALSE(backend().KeyExists(HKLM, kUninstallList));
    }
    EXPECT_EQ(reg().GetRootKey(), HKCU);
    EXPECT_FALSE(reg().HasCurrentKey());
  }
}

TEST_P(UninstallEntry, ThePathIsQuoted) {
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
    FreshMachine();
    ASSERT_EQ(WriteUninstallEntry(reg(), c.exe), UninstallEntryPlace::LocalMachine);
    EXPECT_EQ(backend().Find(HKLM, kUninstallKey, "UninstallString"), (RawValue{kRegSz, Text(c.command)}));
  }
}

TEST_P(UninstallEntry, CarriesWhatTheListOfInstalledProgramsShows) {
  for (const char* exe : {"C:\\Program Files\\Quarvel\\Nimbrel.exe", "\"C:\\Program Files\\Quarvel\\Nimbrel.exe\""}) {
    SCOPED_TRACE(exe);
    FreshMachine();
    ASSERT_EQ(WriteUninstallEntry(reg(), exe, 1234), UninstallEntryPlace::LocalMachine);
    EXPECT_FALSE(backend().KeyExists(HKCU, kUninstallKey)) << "the entry is in one place only";
    const auto value = [&](const char* name) { return backend().Find(HKLM, kUninstallKey, name); };
    EXPECT_EQ(value("DisplayName"), (RawValue{kRegSz, Text("Quarvel Calculator 1.1")}));
    EXPECT_EQ(value("UninstallString"), (RawValue{kRegSz, Text("\"C:\\Program Files\\Quarvel\\Nimbrel.exe\" -u")}));
    // The version the program's resources carry: 1.1 and a build number.
    EXPECT_EQ(value("DisplayVersion"), (RawValue{kRegSz, Text(NIMBREL_VERSION_TEXT)}));
    const std::string version = NIMBREL_VERSION_TEXT;
    EXPECT_EQ(version.rfind("1.1.", 0), 0u) << version;
    EXPECT_EQ(version.find_first_not_of("0123456789", 4), std::string::npos) << version;
    EXPECT_GT(version.size(), 4u);
    EXPECT_EQ(value("Publisher"), (RawValue{kRegSz, Text("Quarvel")}));
    EXPECT_EQ(value("DisplayIcon"), (RawValue{kRegSz, Text("C:\\Program Files\\Quarvel\\Nimbrel.exe,0")}));
    EXPECT_EQ(value("EstimatedSize"), (RawValue{kRegDword, Dword(1234)}));
    EXPECT_EQ(value("NoModify"), (RawValue{kRegDword, Dword(1)}));
    EXPECT_EQ(value("NoRepair"), (RawValue{kRegDword, Dword(1)}));
  }
}

TEST_P(UninstallEntry, IsRewrittenWithTheCurrentPath) {
  WriteUninstallEntry(reg(), "C:\\Old place\\Nimbrel.exe");
  WriteUninstallEntry(reg(), "D:\\New place\\Nimbrel.exe");
  EXPECT_EQ(backend().Find(HKLM, kUninstallKey, "UninstallString"),
            (RawValue{kRegSz, Text("\"D:\\New place\\Nimbrel.exe\" -u")}));
}

}  // namespace nimbrel
