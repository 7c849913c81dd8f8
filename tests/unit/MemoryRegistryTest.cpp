// The in-memory registry's own switches for faults, which the real
// registry has no counterpart for, and the registry and settings suites
// (RegistrySuites.h) run on the in-memory registry.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "RegistrySuites.h"
#include "settings/MemoryRegistry.h"

namespace nimbrel {

INSTANTIATE_TEST_SUITE_P(Registry, RegistryContract, testing::Values(InMemory()), BackendName);
INSTANTIATE_TEST_SUITE_P(Registry, SettingsStore, testing::Values(InMemory()), BackendName);
INSTANTIATE_TEST_SUITE_P(Registry, UninstallEntry, testing::Values(InMemory()), BackendName);
INSTANTIATE_TEST_SUITE_P(Registry, DamagedSettings, testing::Values(InMemory()), BackendName);

namespace {

using Access = MemoryRegistry::Access;
constexpr RootKey HKCU = RootKey::CurrentUser;
constexpr RootKey HKLM = RootKey::LocalMachine;

TEST(MemoryRegistry, AccessRulesPerRoot) {
  // Read-only here opens existing keys and reads them; the real registry
  // refuses Win32Registry's full access to such a key altogether.
  const struct {
    Access access;
    bool opensExisting, creates, writes;
  } cases[] = {
      {Access::Full, true, true, true},
      {Access::ReadOnly, true, false, false},
      {Access::Denied, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.access));
    MemoryRegistry reg;
    reg.Plant(HKLM, "Existing", "V", kRegDword, Bytes(4));
    reg.SetAccess(HKLM, c.access);
    reg.SetRootKey(HKLM);
    EXPECT_EQ(reg.OpenKey("Existing", true), c.opensExisting);
    EXPECT_EQ(reg.HasCurrentKey(), c.opensExisting);
    if (c.opensExisting) {
      EXPECT_EQ(reg.ReadInteger("V"), 0);
      EXPECT_EQ(Message([&] { reg.WriteInteger("V", 1); }),
                c.writes ? "(no exception)" : "Failed to set data for 'V'");
    }
    reg.CloseKey();
    EXPECT_EQ(reg.OpenKey("New", true), c.creates);
    EXPECT_EQ(reg.KeyExists(HKLM, "New"), c.creates);
    // The other root is not affected.
    reg.SetRootKey(HKCU);
    EXPECT_TRUE(reg.OpenKey("New", true));
  }
}

TEST(MemoryRegistry, ChosenValuesFailToBeWritten) {
  MemoryRegistry reg;
  reg.FailWritesOf("Stack4");
  ASSERT_TRUE(reg.OpenKey("K", true));
  reg.WriteFloat("Stack3", 1);
  EXPECT_EQ(Message([&] { reg.WriteFloat("Stack4", 1); }), "Failed to set data for 'Stack4'");
  EXPECT_EQ(Message([&] { reg.WriteInteger("STACK4", 1); }), "Failed to set data for 'STACK4'");
  reg.WriteFloat("Stack5", 1);
  EXPECT_EQ(reg.WrittenNames(), (std::vector<std::string>{"Stack3", "Stack5"}));
}

}  // namespace
}  // namespace nimbrel
