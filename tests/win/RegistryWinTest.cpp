// The registry and settings suites (RegistrySuites.h) on the real Windows
// registry, through Win32Registry, below a scratch key,
// HKEY_CURRENT_USER\Software\Quarvel\NimbrelTest-<process id>, where
// Win32Registry keeps stand-ins for both roots. Values are planted and read
// back with the registry functions themselves, not through the code under
// test; a locked root is a real access list. The scratch key goes with every
// fresh start and at the end. Then what only the real registry shows: a key
// deleted under an open handle, one key of a root locked, and the real
// settings key.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0600  // RegDeleteTreeA
#endif
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "RegistryData.h"
#include "RegistrySuites.h"
#include "core/Engine.h"
#include "display/DisplayOptions.h"
#include "settings/Settings.h"
#include "settings/Win32Registry_win.h"
#include "win/CalculatorKey_win.h"
#include "win/TitleBar_win.h"

namespace nimbrel {
namespace {

using namespace testdata;

const std::string kScratch = "Software\\Quarvel\\NimbrelTest-" + std::to_string(GetCurrentProcessId());
const std::string kUserRoot = kScratch + "\\CurrentUser";
const std::string kMachineRoot = kScratch + "\\LocalMachine";
const std::string kSettings = kUserRoot + "\\Software\\Quarvel\\Nimbrel";

// ---- the registry, straight through the Win32 functions

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

constexpr const char* kFullAccess = "D:P(A;OICI;KA;;;WD)";

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

// The names of a key's subkeys; none when it can't be listed.
std::vector<std::string> Subkeys(const std::string& path) {
  std::vector<std::string> out;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS) return out;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    out.push_back(name);
  }
  RegCloseKey(key);
  return out;
}

// Gives `path` and every key below it the access list `sddl`: from the top
// when opening up (a locked key can't be listed), from the bottom when
// locking.
void SetTreeAccess(const std::string& path, const char* sddl, bool fromTheTop) {
  if (fromTheTop) SetKeyAccess(path, sddl);
  for (const std::string& child : Subkeys(path)) SetTreeAccess(path + "\\" + child, sddl, fromTheTop);
  if (!fromTheTop) {
    EXPECT_TRUE(SetKeyAccess(path, sddl)) << path;
  }
}

// Deletes Software\Quarvel at the end if this run created it.
class QuarvelKeyEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { existed_ = KeyExists(HKEY_CURRENT_USER, "Software\\Quarvel"); }
  void TearDown() override {
    SetTreeAccess(kScratch, kFullAccess, true);
    DeleteTree(kScratch);
    if (!existed_) RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quarvel");  // only when empty
  }

 private:
  bool existed_ = true;
};

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QuarvelKeyEnvironment);

// The real registry below the scratch key, both roots stand-ins.
class Win32Backend : public RegistryBackend {
 public:
  Win32Backend() { Reset(); }
  ~Win32Backend() override {
    registry_.reset();
    Clear();
  }

  Registry& registry() override { return *registry_; }
  void Reset() override {
    registry_.reset();
    locks_[0] = locks_[1] = nullptr;
    Clear();
    registry_ = std::make_unique<Win32Registry>(kScratch);
  }

  void MakeKey(RootKey root, const std::string& path) override { nimbrel::MakeKey(Path(root, path)); }
  void Plant(RootKey root, const std::string& path, const std::string& name, uint32_t type,
             const Bytes& data) override {
    nimbrel::Plant(Path(root, path), name, type, data);
  }
  // Both look through a lock, as the in-memory registry's own look does:
  // the lock is lifted for the look and put back.
  std::optional<RawValue> Find(RootKey root, const std::string& path, const std::string& name) override {
    LiftedLock lifted(*this, root);
    return Stored(Path(root, path), name);
  }
  bool KeyExists(RootKey root, const std::string& path) override {
    LiftedLock lifted(*this, root);
    return nimbrel::KeyExists(HKEY_CURRENT_USER, Path(root, path));
  }
  void LockRoot(RootKey root, Lock lock) override {
    const std::string top = Path(root, "");
    nimbrel::MakeKey(top);
    // Read-only: everyone may read and list; denied: an empty list.
    locks_[Index(root)] = lock == Lock::ReadOnly ? "D:P(A;OICI;KR;;;WD)" : "D:P";
    SetTreeAccess(top, locks_[Index(root)], false);
    HKEY probe = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, top.c_str(), 0, KEY_ALL_ACCESS, &probe) == ERROR_SUCCESS) {
      RegCloseKey(probe);
      ADD_FAILURE() << "this registry grants full access despite the access list";
    }
  }

 private:
  static int Index(RootKey root) { return root == RootKey::CurrentUser ? 0 : 1; }
  static std::string Path(RootKey root, const std::string& path) {
    const std::string& top = root == RootKey::CurrentUser ? kUserRoot : kMachineRoot;
    return path.empty() ? top : top + "\\" + path;
  }

  // Full access below a locked root while it lives.
  class LiftedLock {
   public:
    LiftedLock(Win32Backend& backend, RootKey root) : lock_(backend.locks_[Index(root)]), top_(Path(root, "")) {
      if (lock_ != nullptr) SetTreeAccess(top_, kFullAccess, true);
    }
    ~LiftedLock() {
      if (lock_ != nullptr) SetTreeAccess(top_, lock_, false);
    }

   private:
    const char* lock_;
    std::string top_;
  };

  const char* locks_[2] = {nullptr, nullptr};
  // The scratch key deleted, whatever a test locked in it.
  static void Clear() {
    SetTreeAccess(kScratch, kFullAccess, true);
    DeleteTree(kScratch);
    EXPECT_FALSE(nimbrel::KeyExists(HKEY_CURRENT_USER, kScratch)) << "scratch key left behind";
  }

  std::unique_ptr<Win32Registry> registry_;
};

BackendMaker RealRegistry() {
  return {"Win32", [] { return std::unique_ptr<RegistryBackend>(new Win32Backend); }};
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Registry, RegistryContract, testing::Values(RealRegistry()), BackendName);
INSTANTIATE_TEST_SUITE_P(Registry, SettingsStore, testing::Values(RealRegistry()), BackendName);
INSTANTIATE_TEST_SUITE_P(Registry, UninstallEntry, testing::Values(RealRegistry()), BackendName);
INSTANTIATE_TEST_SUITE_P(Registry, DamagedSettings, testing::Values(RealRegistry()), BackendName);

namespace {

struct Homes {
  Engine engine;
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

// What only the real registry shows, below the scratch key.
struct RegistryWin : ::testing::Test {
  void SetUp() override {
    // As on every Windows: HKEY_CURRENT_USER\Software and the list of
    // installed programs below HKEY_LOCAL_MACHINE.
    MakeKey(kUserRoot + "\\Software");
    MakeKey(kMachineRoot + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  }
  void TearDown() override {
    registry.CloseKey();
    SetTreeAccess(kScratch, kFullAccess, true);
    DeleteTree(kScratch);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kScratch)) << "scratch key left behind";
  }

  Win32Registry registry{kScratch};
};

TEST_F(RegistryWin, AWriteToAKeyDeletedMeanwhileFails) {
  ASSERT_TRUE(registry.OpenKey("Doomed", true));
  registry.WriteInteger("Before", 1);
  DeleteTree(kUserRoot + "\\Doomed");
  EXPECT_EQ(ErrorOf([&] { registry.WriteFloat("Stack4", 1); }), "Failed to set data for 'Stack4'");
}

TEST_F(RegistryWin, ADeniedMachineListSendsTheEntryToTheUser) {
  // The list of installed programs readable but not writable, as a
  // standard user finds HKEY_LOCAL_MACHINE.
  const std::string list = kMachineRoot + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  ASSERT_TRUE(SetKeyAccess(list, "D:P(A;;KR;;;WD)"));  // this key only, not the root
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


// The title bar's mode, read from the user's choice of app mode: dark only
// for a DWORD 0. (The prefix's own value is put back afterwards.)
TEST(AppMode, DarkOnlyWhenTheUserChoseDarkApps) {
  const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  std::vector<BYTE> before(64);
  size = static_cast<DWORD>(before.size());
  const bool had = RegQueryValueExA(k, "AppsUseLightTheme", nullptr, &type, before.data(), &size) == ERROR_SUCCESS;
  struct Case { const char* what; DWORD type; std::string bytes; bool dark; };
  const Case cases[] = {
      {"DWORD 0", REG_DWORD, std::string("\0\0\0\0", 4), true},
      {"DWORD 1", REG_DWORD, std::string("\1\0\0\0", 4), false},
      {"a string 0", REG_SZ, std::string("0\0", 2), false},
      {"a short binary 0", REG_BINARY, std::string("\0", 1), false},
      {"none", REG_NONE, "", false},
  };
  for (const Case& c : cases) {
    RegDeleteValueA(k, "AppsUseLightTheme");
    if (c.type != REG_NONE) {
      RegSetValueExA(k, "AppsUseLightTheme", 0, c.type, reinterpret_cast<const BYTE*>(c.bytes.data()),
                     static_cast<DWORD>(c.bytes.size()));
    }
    EXPECT_EQ(win::AppsPreferDark(), c.dark) << c.what;
  }
  RegDeleteValueA(k, "AppsUseLightTheme");
  if (had) RegSetValueExA(k, "AppsUseLightTheme", 0, type, before.data(), size);
  RegCloseKey(k);
}


// The keyboard's Calculator key: written for this program, removed only
// while it still names it. (The prefix's own value is put back afterwards.)
TEST(CalculatorKey, WrittenKeptAndRemoved) {
  const wchar_t* path = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AppKey\\18";
  const auto stored = [&]() -> std::wstring {
    wchar_t text[600] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, path, L"ShellExecute", RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
      return L"(none)";
    }
    return text;
  };
  const std::wstring before = stored();
  const std::wstring ours = L"C:\\Program Files\\Quarvel\\Nimbrel.exe";
  win::SetCalculatorKey(true, ours);
  EXPECT_EQ(stored(), L"\"C:\\Program Files\\Quarvel\\Nimbrel.exe\" -show");
  win::SetCalculatorKey(false, L"C:\\Elsewhere\\Nimbrel.exe");  // another copy's: not ours to remove
  EXPECT_EQ(stored(), L"\"C:\\Program Files\\Quarvel\\Nimbrel.exe\" -show");
  win::SetCalculatorKey(false, L"c:\\program files\\quarvel\\NIMBREL.EXE");  // paths ignore case
  EXPECT_EQ(stored(), L"(none)");
  const std::wstring other = L"C:\\Windows\\System32\\calc.exe";
  RegSetKeyValueW(HKEY_CURRENT_USER, path, L"ShellExecute", REG_SZ, other.c_str(),
                  static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)));
  win::SetCalculatorKey(false, ours);  // another program took the key meanwhile
  EXPECT_EQ(stored(), other);
  if (before == L"(none)") {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, path, L"ShellExecute");
  } else {
    RegSetKeyValueW(HKEY_CURRENT_USER, path, L"ShellExecute", REG_SZ, before.c_str(),
                    static_cast<DWORD>((before.size() + 1) * sizeof(wchar_t)));
  }
}

}  // namespace
}  // namespace nimbrel
