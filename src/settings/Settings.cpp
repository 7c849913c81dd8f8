#include "settings/Settings.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <variant>
#include <vector>

namespace nimbrel {

namespace {

using Encoding = SettingKind;

// Homes that are not a plain field.
struct OnTopItem {};                           // the OnTop menu item
enum class SizeItem { Small, Medium, Large };  // the size menu items, one radio group
struct StackLevel { int level; };              // 1 (X) .. 10
struct MemoryValue { int slot; };              // 1 .. 9
struct MemoryKey { int slot; };                // 1 .. 9, a 16-bit key code

using Home = std::variant<int32_t WindowSettings::*, int16_t WindowSettings::*,
                          int16_t DisplayOptions::*, OnTopItem, SizeItem, StackLevel,
                          MemoryValue, MemoryKey>;

struct SettingValue {
  const char* name;
  Encoding encoding;
  int32_t fallback;  // the default when the value is missing; 0 for every number
  Home home;
  int saveRank;      // place in SaveSettings' order, from 1
};

using W = WindowSettings;
using D = DisplayOptions;
constexpr Encoding kInt = Encoding::Integer;
constexpr Encoding kBool = Encoding::Boolean;
constexpr Encoding kFloat = Encoding::Float;

// Every value of the settings key, in the order LoadSettings reads them.
// The order matters for the stack: Stack9 (level 10) is pushed first and
// Stack0 last, so that Stack0 ends as X. SaveSettings writes in the order of
// the last column: Decs and bsZ before Base, and Stack0 first, since the
// stack is popped from X down.
const SettingValue kSettings[] = {
    // name       encoding default home                  save
    {"Left",      kInt,    0,      &W::Left,             1},
    {"Top",       kInt,    0,      &W::Top,              2},
    {"OnTop",     kBool,   0,      OnTopItem{},          3},
    {"Small",     kBool,   0,      SizeItem::Small,      4},
    {"Medium",    kBool,   0,      SizeItem::Medium,     5},
    {"Large",     kBool,   1,      SizeItem::Large,      6},
    {"FixedOn",   kBool,   1,      &D::FixedOn,          7},
    {"CommasOn",  kBool,   1,      &D::CommasOn,         8},
    {"TrailOn",   kBool,   1,      &D::TrailOn,          9},
    {"AllExpOn",  kBool,   0,      &D::AllExpOn,         10},
    {"Base",      kInt,    10,     &D::Base,             13},
    {"Decs",      kInt,    4,      &D::Decs,             11},
    {"bsZ",       kInt,    1,      &D::bsZ,              12},
    {"Angles",    kInt,    1,      &D::Angles,           14},
    {"Notation",  kInt,    3,      &D::Notation,         15},
    {"StartUp",   kBool,   0,      &W::StartUp,          16},
    {"Hidden",    kBool,   0,      &W::Hidden,           17},
    {"TrayIcon",  kBool,   1,      &W::TrayIcon,         18},
    {"Stack9",    kFloat,  0,      StackLevel{10},       28},
    {"Stack8",    kFloat,  0,      StackLevel{9},        27},
    {"Stack7",    kFloat,  0,      StackLevel{8},        26},
    {"Stack6",    kFloat,  0,      StackLevel{7},        25},
    {"Stack5",    kFloat,  0,      StackLevel{6},        24},
    {"Stack4",    kFloat,  0,      StackLevel{5},        23},
    {"Stack3",    kFloat,  0,      StackLevel{4},        22},
    {"Stack2",    kFloat,  0,      StackLevel{3},        21},
    {"Stack1",    kFloat,  0,      StackLevel{2},        20},
    {"Stack0",    kFloat,  0,      StackLevel{1},        19},
    {"MValue1",   kFloat,  0,      MemoryValue{1},       29},
    {"MValue2",   kFloat,  0,      MemoryValue{2},       30},
    {"MValue3",   kFloat,  0,      MemoryValue{3},       31},
    {"MValue4",   kFloat,  0,      MemoryValue{4},       32},
    {"MValue5",   kFloat,  0,      MemoryValue{5},       33},
    {"MValue6",   kFloat,  0,      MemoryValue{6},       34},
    {"MValue7",   kFloat,  0,      MemoryValue{7},       35},
    {"MValue8",   kFloat,  0,      MemoryValue{8},       36},
    {"MValue9",   kFloat,  0,      MemoryValue{9},       37},
    {"MKey1",     kInt,    0,      MemoryKey{1},         38},
    {"MKey2",     kInt,    0,      MemoryKey{2},         39},
    {"MKey3",     kInt,    0,      MemoryKey{3},         40},
    {"MKey4",     kInt,    0,      MemoryKey{4},         41},
    {"MKey5",     kInt,    0,      MemoryKey{5},         42},
    {"MKey6",     kInt,    0,      MemoryKey{6},         43},
    {"MKey7",     kInt,    0,      MemoryKey{7},         44},
    {"MKey8",     kInt,    0,      MemoryKey{8},         45},
    {"MKey9",     kInt,    0,      MemoryKey{9},         46},
    {"HotKey",    kInt,    0,      &W::HotKey,           47},
    {"CalcKey",   kBool,   0,      &W::CalcKey,          48},
    {"TapeKept",  kBool,   1,      &W::TapeKept,         49},
    {"TapeShown", kBool,   0,      &W::TapeShown,        50},
    {"TapeLeft",  kInt,    0,      &W::TapeLeft,         51},
    {"TapeTop",   kInt,    0,      &W::TapeTop,          52},
    {"TapeWidth", kInt,    0,      &W::TapeWidth,        53},
    {"TapeHeight", kInt,   0,      &W::TapeHeight,       54},
};

template <class... Fs>
struct Overloaded : Fs... {
  using Fs::operator()...;
};
template <class... Fs>
Overloaded(Fs...) -> Overloaded<Fs...>;

// A value on its way between the registry and its home.
struct Stored {
  int32_t integer = 0;  // integers, and booleans as 0 or 1
  Extended number = 0;  // floats
};

// The low 16 bits of a stored integer, for a 16-bit home.
int16_t Low16(int32_t v) { return static_cast<int16_t>(static_cast<uint32_t>(v) & 0xFFFFu); }

// A stored double as the calculator's number: widened exactly; a double that
// is not finite loads as 0, since nothing non-finite may reach the stack.
Extended FromStored(double d) { return std::isfinite(d) ? static_cast<Extended>(d) : 0; }

// The calculator's number as a stored double, rounded to nearest. Beyond the
// range of a double it becomes the largest double of its sign rather than an
// infinity that could not be loaded again; a NaN is written as 0.
double ToStored(Extended x) {
  if (std::isnan(x)) return 0;
  if (x > DBL_MAX) return DBL_MAX;
  if (x < -DBL_MAX) return -DBL_MAX;
  // Through memory, so that the rounding to double really happens on x87.
  volatile double d = static_cast<double>(x);
  return d;
}

// Opens `path` level by level from the root, creating levels from index
// `firstCreated` on when missing. Leaves no key open when a level fails, so
// that nothing is read from or written to a key on the way.
bool OpenLevels(Registry& registry, const std::string& path, size_t firstCreated) {
  registry.CloseKey();
  size_t index = 0;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (!registry.OpenKey(path.substr(start, end - start), index >= firstCreated)) {
      registry.CloseKey();
      return false;
    }
    ++index;
    start = end + 1;
  }
  return true;
}

// The settings key: Software is opened, Quarvel and Nimbrel are created when missing.
bool OpenSettingsKey(Registry& registry) { return OpenLevels(registry, kSettingsKey, 1); }

Stored Read(Registry& registry, const SettingValue& v) {
  switch (v.encoding) {
    case Encoding::Integer: return {registry.ReadInteger(v.name), 0};
    case Encoding::Boolean: return {registry.ReadBool(v.name) ? 1 : 0, 0};
    case Encoding::Float: return {0, FromStored(registry.ReadFloat(v.name))};
  }
  return {};
}

// Whether a stored integer means anything in its home. The options dialog
// writes only these; anything else came from outside and gives way to the
// default: a base other than 8, 10 or 16 (the display, the entry line and
// the dialog would each read it differently), an angle unit or a notation
// outside the dialog's choices, a memory letter that is not A to Z, a hotkey
// that the hotkey control couldn't have set.
bool Meaningful(const SettingValue& v, int32_t stored) {
  const int16_t low = Low16(stored);
  if (const auto* field = std::get_if<int16_t D::*>(&v.home)) {
    if (*field == &D::Base) return low == 8 || low == 10 || low == 16;
    if (*field == &D::Angles) return low >= 0 && low <= 2;
    if (*field == &D::Notation) return low >= 0 && low <= 3;
  }
  if (std::holds_alternative<MemoryKey>(v.home)) return low == 0 || (low >= 'A' && low <= 'Z');
  if (const auto* field = std::get_if<int32_t W::*>(&v.home); field && *field == &W::HotKey) {
    // A key, with no modifiers but Shift, Ctrl, Alt and the extended-key mark.
    return stored == 0 || ((stored & 0xFF) != 0 && (stored & ~0x0FFF) == 0);
  }
  if (const auto* field = std::get_if<int32_t W::*>(&v.home);
      field && (*field == &W::TapeWidth || *field == &W::TapeHeight)) {
    return stored >= 0 && stored <= 32767;  // a size a window can have
  }
  return true;
}

void Write(Registry& registry, const SettingValue& v, const Stored& s) {
  switch (v.encoding) {
    case Encoding::Integer: registry.WriteInteger(v.name, s.integer); break;
    case Encoding::Boolean: registry.WriteBool(v.name, s.integer != 0); break;
    case Encoding::Float: registry.WriteFloat(v.name, ToStored(s.number)); break;
  }
}

// Checks one size menu item. As in a radio group, checking one unchecks the
// other two, so after Small, Medium and Large are read in turn the last one
// stored true is the one checked.
void CheckSize(WindowSettings& window, SizeItem item, bool checked) {
  if (checked) window.Small = window.Medium = window.Large = false;
  switch (item) {
    case SizeItem::Small: window.Small = checked; break;
    case SizeItem::Medium: window.Medium = checked; break;
    case SizeItem::Large: window.Large = checked; break;
  }
}

// Puts one value into its home; `stored` tells whether it came from the
// registry or is the default.
void Apply(const SettingValue& v, const Stored& s, bool stored, Engine& engine,
           DisplayOptions& display, WindowSettings& window) {
  std::visit(Overloaded{
                 [&](int32_t W::*field) { window.*field = s.integer; },
                 [&](int16_t W::*field) { window.*field = Low16(s.integer); },
                 [&](int16_t D::*field) { display.*field = Low16(s.integer); },
                 [&](OnTopItem) {
                   window.OnTop = s.integer != 0;
                   window.OnTopStored = stored;
                 },
                 [&](SizeItem item) { CheckSize(window, item, s.integer != 0); },
                 [&](StackLevel) { engine.Push(s.number); },
                 [&](MemoryValue m) { engine.Memory[m.slot - 1].value = s.number; },
                 [&](MemoryKey m) {
                   engine.Memory[m.slot - 1].key = static_cast<uint16_t>(Low16(s.integer));
                 },
             },
             v.home);
}

// Takes one value from its home; 16-bit homes are sign-extended. `levels`
// holds the popped stack, X first.
Stored Fetch(const SettingValue& v, const Engine& engine, const DisplayOptions& display,
             const WindowSettings& window, const std::array<Extended, kStackSize>& levels) {
  return std::visit(
      Overloaded{
          [&](int32_t W::*field) { return Stored{window.*field, 0}; },
          [&](int16_t W::*field) { return Stored{window.*field, 0}; },
          [&](int16_t D::*field) { return Stored{display.*field, 0}; },
          [&](OnTopItem) { return Stored{window.OnTop ? 1 : 0, 0}; },
          [&](SizeItem item) {
            const bool checked = item == SizeItem::Small    ? window.Small
                                 : item == SizeItem::Medium ? window.Medium
                                                            : window.Large;
            return Stored{checked ? 1 : 0, 0};
          },
          [&](StackLevel l) { return Stored{0, levels[l.level - 1]}; },
          [&](MemoryValue m) { return Stored{0, engine.Memory[m.slot - 1].value}; },
          [&](MemoryKey m) {
            return Stored{static_cast<int16_t>(engine.Memory[m.slot - 1].key), 0};
          },
      },
      v.home);
}

// The table in SaveSettings' order.
const std::vector<const SettingValue*>& SaveOrder() {
  static const std::vector<const SettingValue*> order = [] {
    std::vector<const SettingValue*> out;
    for (const SettingValue& v : kSettings) out.push_back(&v);
    std::sort(out.begin(), out.end(),
              [](const SettingValue* a, const SettingValue* b) { return a->saveRank < b->saveRank; });
    return out;
  }();
  return order;
}

}  // namespace

void LoadSettings(Registry& registry, Engine& engine, DisplayOptions& display,
                  WindowSettings& window) {
  registry.SetRootKey(RootKey::CurrentUser);
  CurrentKeyCloser closer(registry);
  // A key that can't be opened leaves no key open: every value is then
  // missing and takes its default.
  OpenSettingsKey(registry);
  // Every value is read before any is applied: a damaged one throws while
  // the homes are still as they were.
  struct Loaded {
    Stored value;
    bool stored;
  };
  std::vector<Loaded> loaded;
  loaded.reserve(std::size(kSettings));
  for (const SettingValue& v : kSettings) {
    const bool stored = registry.ValueExists(v.name);
    Stored s = stored ? Read(registry, v) : Stored{v.fallback, 0};
    if (!Meaningful(v, s.integer)) s.integer = v.fallback;
    loaded.push_back({s, stored});
  }
  // Applied to copies, which replace the homes together.
  Engine newEngine = engine;
  DisplayOptions newDisplay = display;
  WindowSettings newWindow = window;
  for (size_t i = 0; i < loaded.size(); ++i) {
    Apply(kSettings[i], loaded[i].value, loaded[i].stored, newEngine, newDisplay, newWindow);
  }
  engine = newEngine;
  display = newDisplay;
  window = newWindow;
}

std::vector<std::string> SettingNames() {
  std::vector<std::string> names;
  for (const SettingValue& v : kSettings) names.emplace_back(v.name);
  return names;
}

namespace {

// Writes every value in SaveSettings' order. With `failed`, a value that
// can't be written is noted there and the rest are still written; without,
// the first failure is thrown.
void SaveAll(Registry& registry, Engine& engine, const DisplayOptions& display, const WindowSettings& window,
             std::vector<std::string>* failed) {
  std::array<Extended, kStackSize> levels{};
  for (Extended& level : levels) level = engine.Pop();  // the first pop is X

  registry.SetRootKey(RootKey::CurrentUser);
  CurrentKeyCloser closer(registry);
  // With no key open every write fails, so a key that can't be opened or
  // created is reported as the first value that could not be written.
  OpenSettingsKey(registry);
  for (const SettingValue* v : SaveOrder()) {
    try {
      Write(registry, *v, Fetch(*v, engine, display, window, levels));
    } catch (const RegistryError&) {
      if (!failed) throw;
      failed->emplace_back(v->name);
    }
  }
}

}  // namespace

void SaveSettings(Registry& registry, Engine& engine, const DisplayOptions& display,
                  const WindowSettings& window) {
  SaveAll(registry, engine, display, window, nullptr);
}

std::vector<std::string> SaveSettingsAtSessionEnd(Registry& registry, Engine& engine, const DisplayOptions& display,
                                                  const WindowSettings& window) {
  std::vector<std::string> failed;
  SaveAll(registry, engine, display, window, &failed);
  return failed;
}

std::string UninstallCommand(const std::string& exePath) {
  std::string path = exePath;
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
    path = path.substr(1, path.size() - 2);
  }
  return "\"" + path + "\" -u";
}

namespace {

// Writes the entry below one root; false when the key can't be opened or a
// value can't be written.
bool WriteEntryUnder(Registry& registry, RootKey root, size_t firstCreated, const std::string& command,
                     const std::string& icon, uint32_t sizeKb) {
  registry.SetRootKey(root);
  CurrentKeyCloser closer(registry);
  if (!OpenLevels(registry, kUninstallKey, firstCreated)) return false;
  try {
    registry.WriteString("DisplayName", kUninstallDisplayName);
    registry.WriteString("UninstallString", command);
    registry.WriteString("DisplayVersion", kUninstallDisplayVersion);
    registry.WriteString("Publisher", kUninstallPublisher);
    registry.WriteString("DisplayIcon", icon);
    registry.WriteInteger("EstimatedSize", static_cast<int32_t>(std::min<uint32_t>(sizeKb, INT32_MAX)));
    registry.WriteInteger("NoModify", 1);
    registry.WriteInteger("NoRepair", 1);
  } catch (const RegistryError&) {
    return false;
  }
  return true;
}

}  // namespace

UninstallEntryPlace WriteUninstallEntry(Registry& registry, const std::string& exePath, uint32_t sizeKb) {
  const std::string command = UninstallCommand(exePath);
  // The icon is the program's first: its path as it is (no quotes), then ",0".
  std::string icon = exePath;
  if (icon.size() >= 2 && icon.front() == '"' && icon.back() == '"') icon = icon.substr(1, icon.size() - 2);
  icon += ",0";
  UninstallEntryPlace place = UninstallEntryPlace::Nowhere;
  // Below HKEY_LOCAL_MACHINE only the entry's own key is created; the keys
  // above it belong to Windows. Below HKEY_CURRENT_USER the Uninstall key
  // often doesn't exist yet, so every missing level is created.
  const std::string_view path = kUninstallKey;
  const auto entryLevel = static_cast<size_t>(std::count(path.begin(), path.end(), '\\'));
  if (WriteEntryUnder(registry, RootKey::LocalMachine, entryLevel, command, icon, sizeKb)) {
    place = UninstallEntryPlace::LocalMachine;
  } else if (WriteEntryUnder(registry, RootKey::CurrentUser, 0, command, icon, sizeKb)) {
    place = UninstallEntryPlace::CurrentUser;
  }
  registry.SetRootKey(RootKey::CurrentUser);
  return place;
}

std::optional<SettingKind> SettingKindOf(std::string_view name) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  for (const SettingValue& v : kSettings) {
    const std::string_view n = v.name;
    if (n.size() == name.size() &&
        std::equal(n.begin(), n.end(), name.begin(), [&](char a, char b) { return lower(a) == lower(b); })) {
      return v.encoding;
    }
  }
  return std::nullopt;
}

}  // namespace nimbrel
