// The settings store against the real Windows registry, through
// Win32Registry. Everything but the last test runs below a scratch key,
// HKEY_CURRENT_USER\Software\Quarvel\NimbrelTest-<process id>, where
// Win32Registry keeps stand-ins for both roots; damaged values are planted
// and results read back with the registry functions themselves, not through
// the code under test. The scratch key is deleted after every test.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0600  // RegDeleteTreeA
#endif
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "RegistryData.h"
#include "core/Engine.h"
#include "display/DisplayOptions.h"
#include "settings/Settings.h"
#include "settings/Win32Registry.h"

namespace nimbrel {
namespace {

using namespace testdata;

const std::string kScratch = "Software\\Quarvel\\NimbrelTest-" + std::to_string(GetCurrentProcessId());
const std::string kUserRoot = kScratch + "\\CurrentUser";
const std::string kMachineRoot = kScratch + "\\LocalMachine";
const std::string kSettings = kUserRoot + "\\Software\\Quarvel\\Nimbrel";


// ---- the registry, straight through the Win32 functions

struct RawValue {
  DWORD type;
  Bytes data;
};

void Plant(const std::string& path, const std::string& name, DWORD type, const Bytes& data) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << path;
  EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())),
            ERROR_SUCCESS)
      << name;
  RegCloseKey(key);
}

void MakeKey(const std::string& path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << path;
  RegCloseKey(key);
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::optional<RawValue> Stored(HKEY root, const std::string& path, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  std::optional<RawValue> out;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    Bytes data(size);
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
      data.resize(size);
      out = RawValue{type, data};
    }
  }
  RegCloseKey(key);
  return out;
}

std::optional<RawValue> Stored(const std::string& path, const std::string& name) {
  return Stored(HKEY_CURRENT_USER, path, name);
}

void DeleteTree(const std::string& path) { RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str()); }

// Gives a key the access list `sddl` (as a standard user sees HKEY_LOCAL_MACHINE:
// "D:P(A;;KR;;;WD)" lets everyone read and nobody write). The owner may
// always change the list again.
bool SetKeyAccess(const std::string& path, const char* sddl) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
  PSECURITY_DESCRIPTOR sd = nullptr;
  bool ok = ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, nullptr) &&
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
  if (sd != nullptr) LocalFree(sd);
  RegCloseKey(key);
  return ok;
}

// Deletes Software\Quarvel at the end if this run created it.
class QuarvelKeyEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { existed_ = KeyExists(HKEY_CURRENT_USER, "Software\\Quarvel"); }
  void TearDown() override {
    DeleteTree(kScratch);
    if (!existed_) RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quarvel");  // only when empty
  }

 private:
  bool existed_ = true;
};

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QuarvelKeyEnvironment);

struct Homes {
  FakePlatform platform;
  Engine engine{platform};
  DisplayOptions display;
  WindowSettings window;
};

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const RegistryError& e) {
    return e.what();
  }
  return "(no exception)";
}

struct RegistryWin : ::testing::Test {
  void SetUp() override {
    DeleteTree(kScratch);
    // As on every Windows: HKEY_CURRENT_USER\Software and the list of
    // installed programs below HKEY_LOCAL_MACHINE.
    MakeKey(kUserRoot + "\\Software");
    MakeKey(kMachineRoot + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  }
  void TearDown() override {
    // Undo any access list a test set, so that the tree can be deleted.
    SetKeyAccess(kMachineRoot + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                 "D:P(A;;KA;;;WD)");
    DeleteTree(kScratch);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kScratch)) << "scratch key left behind";
  }

  void Load(Homes& h) { LoadSettings(registry, h.engine, h.display, h.window); }
  void Save(Homes& h) { SaveSettings(registry, h.engine, h.display, h.window); }

  Win32Registry registry{kScratch};
};

// ---- the registry interface -----------------------------------------------------------

TEST_F(RegistryWin, OpensKeysRelativeToTheCurrentOne) {
  EXPECT_FALSE(registry.OpenKey("Software\\Quarvel", false));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserRoot + "\\Software\\Quarvel"));
  ASSERT_TRUE(registry.OpenKey("Software", false));
  ASSERT_TRUE(registry.OpenKey("Quarvel\\Nimbrel", true));  // below Software
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSettings));

  registry.WriteInteger("Here", 1);
  EXPECT_FALSE(registry.OpenKey("Missing", false));  // the current key stays
  EXPECT_EQ(registry.ReadInteger("Here"), 1);

  ASSERT_TRUE(registry.OpenKey("\\Software", false));  // from the root
  EXPECT_FALSE(registry.ValueExists("Here"));
  ASSERT_TRUE(registry.OpenKey("QUARVEL\\nimbrel", false));
  EXPECT_TRUE(registry.ValueExists("HERE"));

  registry.SetRootKey(RootKey::LocalMachine);
  EXPECT_FALSE(registry.HasCurrentKey());
  EXPECT_FALSE(registry.OpenKey("Software\\Quarvel", false));
  EXPECT_TRUE(registry.OpenKey("Software\\Microsoft", false));
}

TEST_F(RegistryWin, DeletesAKeyWithEverythingBelowIt) {
  ASSERT_TRUE(registry.OpenKey("Software\\Quarvel\\Nimbrel\\A\\B", true));
  registry.WriteInteger("Deep", 1);
  ASSERT_TRUE(registry.OpenKey("\\Software\\Quarvel\\Nimbrel\\C", true));
  ASSERT_TRUE(registry.OpenKey("\\Software\\Quarvel\\Other", true));
  ASSERT_TRUE(registry.OpenKey("\\Software\\Quarvel", false));
  EXPECT_TRUE(registry.DeleteKey("Nimbrel"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserRoot + "\\Software\\Quarvel\\Nimbrel"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUserRoot + "\\Software\\Quarvel\\Other"));
  EXPECT_FALSE(registry.DeleteKey("Nimbrel"));  // nothing left to delete
  registry.CloseKey();
  EXPECT_FALSE(registry.DeleteKey("Software"));  // no current key
}

TEST_F(RegistryWin, WritersStoreTheirTypeAndBytes) {
  ASSERT_TRUE(registry.OpenKey("K", true));
  registry.WriteInteger("Int", -2);
  registry.WriteBool("True", true);
  registry.WriteBool("False", false);
  registry.WriteFloat("Float", -1.5);
  registry.WriteString("Text", "C:\\a b");
  const struct {
    const char* name;
    DWORD type;
    Bytes data;
  } cases[] = {
      {"Int", REG_DWORD, Dword(-2)},   {"True", REG_DWORD, Dword(1)},
      {"False", REG_DWORD, Dword(0)},  {"Float", REG_BINARY, Binary(-1.5)},
      {"Text", REG_SZ, Text("C:\\a b")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto v = Stored(kUserRoot + "\\K", c.name);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->type, c.type);
    EXPECT_EQ(v->data, c.data);
  }
  EXPECT_EQ(registry.ReadString("Text"), "C:\\a b");
}

enum class Reader { Integer, Float, String };

TEST_F(RegistryWin, ReadersCheckSizeAndType) {
  using enum Reader;
  const struct {
    const char* what;
    DWORD type;
    Bytes data;
    Reader reader;
    const char* result;
  } cases[] = {
      {"dword", REG_DWORD, {0x78, 0x56, 0x34, 0x12}, Integer, "305419896"},
      {"short dword, zero-extended", REG_DWORD, {0xFF, 0xFF}, Integer, "65535"},
      {"dword of 5 bytes", REG_DWORD, {1, 2, 3, 4, 5}, Integer, "Failed to get data for 'V'"},
      {"binary as integer", REG_BINARY, {1, 0, 0, 0}, Integer, "Invalid data type for 'V'"},
      {"qword as integer", REG_QWORD, Bytes(8), Integer, "Failed to get data for 'V'"},
      {"double", REG_BINARY, Binary(3.25), Float, "3.25"},
      {"dword as float", REG_DWORD, Bytes(4), Float, "Invalid data type for 'V'"},
      {"qword as float", REG_QWORD, Binary(3.25), Float, "Invalid data type for 'V'"},
      {"short binary", REG_BINARY, Bytes(7), Float, "Invalid data type for 'V'"},
      {"long binary", REG_BINARY, Bytes(9), Float, "Failed to get data for 'V'"},
      {"text", REG_SZ, Text("abc"), String, "abc"},
      {"expandable text", REG_EXPAND_SZ, Text("%X%"), String, "%X%"},
      {"dword as text", REG_DWORD, Bytes(4), String, "Invalid data type for 'V'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Plant(kUserRoot + "\\K", "V", c.type, c.data);
    ASSERT_TRUE(registry.OpenKey("\\K", false));
    EXPECT_TRUE(registry.ValueExists("V"));
    std::string got;
    try {
      switch (c.reader) {
        case Integer: got = std::to_string(registry.ReadInteger("V")); break;
        case Float: {
          char text[32];
          std::snprintf(text, sizeof text, "%g", registry.ReadFloat("V"));
          got = text;
          break;
        }
        case String: got = registry.ReadString("V"); break;
      }
    } catch (const RegistryError& e) {
      got = e.what();
    }
    EXPECT_EQ(got, c.result);
    registry.CloseKey();
  }
}

TEST_F(RegistryWin, MissingValuesAndNoOpenKeyFail) {
  EXPECT_FALSE(registry.ValueExists("V"));
  EXPECT_EQ(ErrorOf([&] { registry.ReadInteger("V"); }), "Failed to get data for 'V'");
  EXPECT_EQ(ErrorOf([&] { registry.WriteInteger("V", 1); }), "Failed to set data for 'V'");
  ASSERT_TRUE(registry.OpenKey("K", true));
  EXPECT_FALSE(registry.ValueExists("Gone"));
  EXPECT_EQ(ErrorOf([&] { registry.ReadFloat("Gone"); }), "Failed to get data for 'Gone'");
}

TEST_F(RegistryWin, AWriteToAKeyDeletedMeanwhileFails) {
  ASSERT_TRUE(registry.OpenKey("Doomed", true));
  registry.WriteInteger("Before", 1);
  DeleteTree(kUserRoot + "\\Doomed");
  EXPECT_EQ(ErrorOf([&] { registry.WriteFloat("Stack4", 1); }), "Failed to set data for 'Stack4'");
}

// ---- the settings -----------------------------------------------------------------------

TEST_F(RegistryWin, FirstStartGivesTheDefaultsAndCreatesTheKey) {
  Homes h;
  for (int i = 0; i < kStackSize; ++i) h.engine.Push(50 + i);
  h.display.Base = 16;
  h.window.Left = 7;
  h.window.TrayIcon = 0;
  Load(h);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSettings));
  EXPECT_EQ(h.window.Left, 0);
  EXPECT_EQ(h.window.TrayIcon, 1);
  EXPECT_TRUE(h.window.Large);
  EXPECT_EQ(h.display.Base, 10);
  EXPECT_EQ(h.display.Decs, 4);
  EXPECT_EQ(h.display.Angles, 1);
  for (int k = 1; k <= kStackSize; ++k) EXPECT_EQ(h.engine.Level(k), 0) << k;
}

TEST_F(RegistryWin, EveryValueSurvivesARestart) {
  Homes before;
  before.window = {.Left = -20, .Top = 3000, .OnTop = true, .Small = false, .Medium = true,
                   .Large = false, .StartUp = 1, .Hidden = 1, .TrayIcon = 0};
  before.display = {.Base = 16, .FixedOn = 0, .Decs = 7, .CommasOn = 0, .TrailOn = 0,
                    .AllExpOn = 1, .bsZ = 3, .Notation = 2, .Angles = 0};
  for (int k = kStackSize; k >= 1; --k) before.engine.Push(k + k / 8.0);
  for (int s = 0; s < kMemorySlots; ++s) {
    before.engine.Memory[s] = {-1e10L * (s + 1), static_cast<uint16_t>('A' + s)};
  }
  Save(before);

  // As stored, read with the registry functions.
  const struct {
    const char* name;
    DWORD type;
    Bytes data;
  } stored[] = {
      {"Left", REG_DWORD, Dword(-20)},      {"Top", REG_DWORD, Dword(3000)},
      {"OnTop", REG_DWORD, Dword(1)},       {"Medium", REG_DWORD, Dword(1)},
      {"Large", REG_DWORD, Dword(0)},       {"Base", REG_DWORD, Dword(16)},
      {"Decs", REG_DWORD, Dword(7)},        {"AllExpOn", REG_DWORD, Dword(1)},
      {"Hidden", REG_DWORD, Dword(1)},      {"TrayIcon", REG_DWORD, Dword(0)},
      {"Stack0", REG_BINARY, Binary(1.125)}, {"Stack9", REG_BINARY, Binary(11.25)},
      {"MValue9", REG_BINARY, Binary(-9e10)}, {"MKey9", REG_DWORD, Dword('I')},
  };
  for (const auto& s : stored) {
    SCOPED_TRACE(s.name);
    const auto v = Stored(kSettings, s.name);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->type, s.type);
    EXPECT_EQ(v->data, s.data);
  }

  Homes after;
  Load(after);
  EXPECT_EQ(after.window.Left, -20);
  EXPECT_EQ(after.window.Top, 3000);
  EXPECT_TRUE(after.window.OnTop);
  EXPECT_TRUE(after.window.OnTopStored);
  EXPECT_FALSE(after.window.Small);
  EXPECT_TRUE(after.window.Medium);
  EXPECT_FALSE(after.window.Large);
  EXPECT_EQ(after.window.StartUp, 1);
  EXPECT_EQ(after.window.Hidden, 1);
  EXPECT_EQ(after.window.TrayIcon, 0);
  const DisplayOptions& d = after.display;
  EXPECT_EQ((std::vector<int>{d.Base, d.FixedOn, d.Decs, d.CommasOn, d.TrailOn, d.AllExpOn, d.bsZ,
                              d.Notation, d.Angles}),
            (std::vector<int>{16, 0, 7, 0, 0, 1, 3, 2, 0}));
  for (int k = 1; k <= kStackSize; ++k) EXPECT_EQ(after.engine.Level(k), k + k / 8.0) << k;
  for (int s = 0; s < kMemorySlots; ++s) {
    EXPECT_EQ(after.engine.Memory[s].value, -1e10L * (s + 1)) << s;
    EXPECT_EQ(after.engine.Memory[s].key, 'A' + s) << s;
  }
}

TEST_F(RegistryWin, AThirdComesBackAsTheDoubleNearestAThird) {
  volatile Extended one = 1;
  volatile Extended three = 3;
  Homes before;
  before.engine.Push(one / three);
  Save(before);
  EXPECT_EQ(Stored(kSettings, "Stack0")->data, RawDouble(0x3FD5555555555555ULL));
  Homes after;
  Load(after);
  EXPECT_EQ(after.engine.X(), 0x1.5555555555555p-2L);  // the double nearest 1/3, exactly (1.0 / 3.0 is extended on x87)
}

TEST_F(RegistryWin, SixteenBitHomesAndNumbersOutOfRange) {
  Plant(kSettings, "Base", REG_DWORD, Dword(65546));
  Plant(kSettings, "MKey3", REG_DWORD, Dword(-66));
  Plant(kSettings, "FixedOn", REG_DWORD, Dword(0x10000));
  Plant(kSettings, "Stack1", REG_BINARY, RawDouble(0x7FF8000000000000ULL));  // NaN
  Plant(kSettings, "MValue2", REG_BINARY, RawDouble(0xFFF0000000000000ULL));  // -infinity
  Homes h;
  Load(h);
  EXPECT_EQ(h.display.Base, 10);
  EXPECT_EQ(h.engine.Memory[2].key, 0xFFBE);
  EXPECT_EQ(h.display.FixedOn, 1);
  EXPECT_EQ(h.engine.Y(), 0);
  EXPECT_EQ(h.engine.Memory[1].value, 0);

  h.engine.SetX(-1e400L);
  h.engine.Memory[0].value = 1e4000L;
  Save(h);
  EXPECT_EQ(Stored(kSettings, "Base")->data, Dword(10));
  EXPECT_EQ(Stored(kSettings, "MKey3")->data, Dword(-66));
  EXPECT_EQ(Stored(kSettings, "FixedOn")->data, Dword(1));
  EXPECT_EQ(Stored(kSettings, "Stack0")->data, Binary(-DBL_MAX));
  EXPECT_EQ(Stored(kSettings, "MValue1")->data, Binary(DBL_MAX));
  EXPECT_EQ(Stored(kSettings, "MKey9")->data, Dword(0));  // the rest still written
}

TEST_F(RegistryWin, DamagedValuesStopLoadingWithTheirMessage) {
  for (const auto& c : DamagedValues()) {
    SCOPED_TRACE(testing::Message() << c.name << " " << c.data.size() << " bytes of type " << c.type);
    DeleteTree(kSettings);
    Plant(kSettings, c.name, c.type, c.data);
    Homes h;
    EXPECT_EQ(ErrorOf([&] { Load(h); }), c.message);
    EXPECT_FALSE(registry.HasCurrentKey());
  }
}

TEST_F(RegistryWin, TheUninstallEntryGoesToTheMachineWhenItMay) {
  const std::string exe = "C:\\Program Files\\Nimbrel\\Nimbrel.exe";
  EXPECT_EQ(WriteUninstallEntry(registry, exe), UninstallEntryPlace::LocalMachine);
  const std::string entry = kMachineRoot + "\\" + kUninstallKey;
  const auto name = Stored(entry, "DisplayName");
  const auto command = Stored(entry, "UninstallString");
  ASSERT_TRUE(name && command);
  EXPECT_EQ(name->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(name->data, Text("Quarvel Calculator 1.1"));
  EXPECT_EQ(command->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(command->data, Text("\"C:\\Program Files\\Nimbrel\\Nimbrel.exe\" -u"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserRoot + "\\" + kUninstallKey));
  // What the list of installed programs shows, with the registry's own types.
  const struct {
    const char* name;
    DWORD type;
    Bytes data;
  } shown[] = {
      {"DisplayVersion", REG_SZ, Text(NIMBREL_VERSION_TEXT)},
      {"Publisher", REG_SZ, Text("Quarvel")},
      {"DisplayIcon", REG_SZ, Text("C:\\Program Files\\Nimbrel\\Nimbrel.exe,0")},
      {"NoModify", REG_DWORD, Dword(1)},
      {"NoRepair", REG_DWORD, Dword(1)},
  };
  for (const auto& v : shown) {
    SCOPED_TRACE(v.name);
    const auto stored = Stored(entry, v.name);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, v.type);
    EXPECT_EQ(stored->data, v.data);
  }
  EXPECT_EQ(Stored(entry, "EstimatedSize")->type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(RegistryWin, ADeniedMachineListSendsTheEntryToTheUser) {
  // The list of installed programs readable but not writable, as a
  // standard user finds HKEY_LOCAL_MACHINE.
  const std::string list = kMachineRoot + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  ASSERT_TRUE(SetKeyAccess(list, "D:P(A;;KR;;;WD)"));
  HKEY probe = nullptr;
  ASSERT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, list.c_str(), 0, KEY_ALL_ACCESS, &probe), ERROR_SUCCESS)
      << "this registry grants full access despite the access list";

  UninstallEntryPlace place = UninstallEntryPlace::Nowhere;
  EXPECT_NO_THROW(place = WriteUninstallEntry(registry, "C:\\My Tools\\Nimbrel.exe"));
  EXPECT_EQ(place, UninstallEntryPlace::CurrentUser);
  const std::string entry = kUserRoot + "\\" + kUninstallKey;
  EXPECT_EQ(Stored(entry, "DisplayName")->data, Text("Quarvel Calculator 1.1"));
  EXPECT_EQ(Stored(entry, "UninstallString")->data, Text("\"C:\\My Tools\\Nimbrel.exe\" -u"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kMachineRoot + "\\" + kUninstallKey));
}

// ---- the real settings key ----------------------------------------------------------------

// Keeps the values of a key as they were and puts them back (or deletes the
// key if it did not exist) when the test ends.
class KeySnapshot {
 public:
  explicit KeySnapshot(std::string path) : path_(std::move(path)) {
    HKEY key = nullptr;
    existed_ = RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (!existed_) return;
    for (DWORD i = 0;; ++i) {
      char name[256];
      DWORD nameLength = sizeof name;
      DWORD type = 0;
      DWORD size = 0;
      if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
      Bytes data(size);
      nameLength = sizeof name;
      if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
      data.resize(size);
      values_.push_back({name, {type, data}});
    }
    RegCloseKey(key);
  }
  ~KeySnapshot() {
    DeleteTree(path_);
    if (!existed_) return;
    for (const auto& [name, value] : values_) Plant(path_, name, value.type, value.data);
  }

 private:
  std::string path_;
  bool existed_ = false;
  std::vector<std::pair<std::string, RawValue>> values_;
};

TEST(RealSettingsKey, IsHkcuSoftwareQuarvelNimbrel) {
  const std::string path = "Software\\Quarvel\\Nimbrel";
  KeySnapshot keep(path);
  Win32Registry registry;
  Homes before;
  before.display.Base = 8;
  before.window.Left = 123;
  before.engine.Push(2.5);
  SaveSettings(registry, before.engine, before.display, before.window);
  EXPECT_EQ(Stored(path, "Base")->data, Dword(8));
  EXPECT_EQ(Stored(path, "Left")->data, Dword(123));
  EXPECT_EQ(Stored(path, "Stack0")->data, Binary(2.5));

  Homes after;
  LoadSettings(registry, after.engine, after.display, after.window);
  EXPECT_EQ(after.display.Base, 8);
  EXPECT_EQ(after.window.Left, 123);
  EXPECT_EQ(after.engine.X(), 2.5);
}

}  // namespace
}  // namespace nimbrel
