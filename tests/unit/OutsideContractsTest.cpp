// What stored settings and other programs rely on, written out once by hand:
// the settings key with every value's name, registry type and first-start
// value, in the order they are written; the uninstall entry's value names
// and types. Renaming, retyping or reordering one in the code turns these
// red (an upgrade would otherwise lose the stack, the slots or the options
// without a word); a new setting adds its row here. (The command line's
// tails and the clipboard's text are pinned in their own tables.)
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/Engine.h"
#include "display/DisplayOptions.h"
#include "settings/MemoryRegistry.h"
#include "settings/Settings.h"

namespace nimbrel {
namespace {

constexpr uint32_t kSz = 1, kBinary = 3, kDword = 4;

using Bytes = std::vector<unsigned char>;
Bytes Dword(uint32_t v) { return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8), 0, 0}; }
const Bytes kZero = Dword(0), kOne = Dword(1), kDoubleZero(8, 0);

// A machine as Windows comes: HKCU\Software and the list of installed
// programs exist, nothing of ours.
void MakeMachine(MemoryRegistry& registry) {
  registry.SetRootKey(RootKey::LocalMachine);
  registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true);
  registry.SetRootKey(RootKey::CurrentUser);
  registry.OpenKey("Software", true);
  registry.CloseKey();
}

struct Stored {
  const char* name;
  uint32_t type;
  Bytes bytes;
};

void ExpectStored(const MemoryRegistry& registry, RootKey root, const char* key, const std::vector<Stored>& rows) {
  for (const Stored& row : rows) {
    const MemoryRegistry::Value* value = registry.Find(root, key, row.name);
    ASSERT_NE(value, nullptr) << row.name;
    EXPECT_EQ(value->type, row.type) << row.name;
    if (!row.bytes.empty()) {
      EXPECT_EQ(value->data, row.bytes) << row.name;
    }
  }
}

TEST(SettingsContract, AFirstStartSavesEveryValueByNameTypeAndDefaultInThisOrder) {
  const std::vector<Stored> rows = {
      {"Left", kDword, kZero},       {"Top", kDword, kZero},          {"OnTop", kDword, kZero},
      {"Small", kDword, kZero},      {"Medium", kDword, kZero},       {"Large", kDword, kOne},
      {"FixedOn", kDword, kOne},     {"CommasOn", kDword, kOne},      {"TrailOn", kDword, kOne},
      {"AllExpOn", kDword, kZero},   {"Decs", kDword, Dword(4)},      {"bsZ", kDword, kOne},
      {"Base", kDword, Dword(10)},   {"Angles", kDword, kOne},        {"Notation", kDword, Dword(3)},
      {"StartUp", kDword, kZero},    {"Hidden", kDword, kZero},       {"TrayIcon", kDword, kOne},
      {"Stack0", kBinary, kDoubleZero}, {"Stack1", kBinary, kDoubleZero}, {"Stack2", kBinary, kDoubleZero},
      {"Stack3", kBinary, kDoubleZero}, {"Stack4", kBinary, kDoubleZero}, {"Stack5", kBinary, kDoubleZero},
      {"Stack6", kBinary, kDoubleZero}, {"Stack7", kBinary, kDoubleZero}, {"Stack8", kBinary, kDoubleZero},
      {"Stack9", kBinary, kDoubleZero}, {"MValue1", kBinary, kDoubleZero}, {"MValue2", kBinary, kDoubleZero},
      {"MValue3", kBinary, kDoubleZero}, {"MValue4", kBinary, kDoubleZero}, {"MValue5", kBinary, kDoubleZero},
      {"MValue6", kBinary, kDoubleZero}, {"MValue7", kBinary, kDoubleZero}, {"MValue8", kBinary, kDoubleZero},
      {"MValue9", kBinary, kDoubleZero}, {"MKey1", kDword, kZero},     {"MKey2", kDword, kZero},
      {"MKey3", kDword, kZero},      {"MKey4", kDword, kZero},        {"MKey5", kDword, kZero},
      {"MKey6", kDword, kZero},      {"MKey7", kDword, kZero},        {"MKey8", kDword, kZero},
      {"MKey9", kDword, kZero},      {"HotKey", kDword, kZero},       {"CalcKey", kDword, kZero},
      {"TapeKept", kDword, kOne},    {"TapeShown", kDword, kZero},    {"TapeLeft", kDword, kZero},
      {"TapeTop", kDword, kZero},    {"TapeWidth", kDword, kZero},    {"TapeHeight", kDword, kZero},
  };
  MemoryRegistry registry;
  MakeMachine(registry);
  Engine engine;
  DisplayOptions display;
  WindowSettings window;
  LoadSettings(registry, engine, display, window);  // nothing stored yet
  SaveSettings(registry, engine, display, window);
  std::vector<std::string> order;
  for (const Stored& row : rows) order.emplace_back(row.name);
  EXPECT_EQ(registry.WrittenNames(), order);
  ExpectStored(registry, RootKey::CurrentUser, "Software\\Quarvel\\Nimbrel", rows);
}

TEST(UninstallEntryContract, WindowsListOfProgramsReadsTheseValues) {
  MemoryRegistry registry;
  MakeMachine(registry);
  WriteUninstallEntry(registry, "C:\\Tools\\Nimbrel.exe", 1200);
  const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbrel";
  const auto text = [](const std::string& s) { return Bytes(s.begin(), s.end() + 1); };  // with its zero
  ExpectStored(registry, RootKey::LocalMachine, key,
               {{"DisplayName", kSz, text("Quarvel Calculator 1.1")},
                {"UninstallString", kSz, text("\"C:\\Tools\\Nimbrel.exe\" -u")},
                {"DisplayVersion", kSz, {}},
                {"Publisher", kSz, {}},
                {"DisplayIcon", kSz, {}},
                {"EstimatedSize", kDword, Dword(1200)},
                {"NoModify", kDword, kOne},
                {"NoRepair", kDword, kOne}});
}

}  // namespace
}  // namespace nimbrel
