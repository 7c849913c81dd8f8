// The uninstall mode's steps against the in-memory registry and a shell
// that records what it is asked to do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/MemoryRegistry.h"
#include "settings/Settings.h"
#include "settings/Uninstall.h"

namespace nimbrel {
namespace {

constexpr RootKey HKCU = RootKey::CurrentUser;
constexpr RootKey HKLM = RootKey::LocalMachine;
const std::string kExe = "C:\\Program Files\\Quarvel\\Nimbrel.exe";

struct RecordingShell : UninstallShell {
  bool ConfirmUninstall() override {
    calls.push_back("ask");
    return yes;
  }
  void ReportCancelled() override { calls.push_back("cancelled"); }
  void DeleteLink(int folderId) override { calls.push_back("link " + std::to_string(folderId)); }
  void RemoveFile(const std::string& path) override { calls.push_back("file " + path); }
  void StartSelfDelete(const std::string& exePath, const std::string& folder) override {
    calls.push_back("script " + exePath + " | " + folder);
  }
  bool yes = true;
  std::vector<std::string> calls;
};

class UninstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry.Plant(HKCU, "Software\\Quarvel\\Nimbrel", "Decs", kRegDword, {4, 0, 0, 0});
    registry.Plant(HKCU, "Software\\Quarvel\\Nimbrel\\Deeper", "X", kRegDword, {1, 0, 0, 0});
    registry.Plant(HKCU, "Software\\Quarvel\\Other", "X", kRegDword, {1, 0, 0, 0});
    registry.Plant(HKLM, kUninstallKey, "DisplayName", kRegSz, {'Q', 0});
    registry.Plant(HKCU, kUninstallKey, "DisplayName", kRegSz, {'Q', 0});
    registry.Plant(HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\SomethingElse", "X", kRegSz,
                   {'x', 0});
  }
  MemoryRegistry registry;
  RecordingShell shell;
};

TEST_F(UninstallTest, NoRemovesNothing) {
  shell.yes = false;
  Uninstall(registry, shell, kExe);
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"ask", "cancelled"}));
  EXPECT_TRUE(registry.KeyExists(HKCU, kSettingsKey));
  EXPECT_TRUE(registry.KeyExists(HKLM, kUninstallKey));
}

TEST_F(UninstallTest, YesRemovesKeysLinksAndFilesInOrderThenStartsTheScript) {
  Uninstall(registry, shell, kExe);
  EXPECT_EQ(shell.calls, (std::vector<std::string>{
                             "ask", "link 0", "link 7", "file " + kExe,
                             "file C:\\Program Files\\Quarvel\\Nimbrel.hlp",
                             "file C:\\Program Files\\Quarvel\\Nimbrel.GID",
                             "file C:\\Program Files\\Quarvel\\Sound.wav",
                             "file C:\\Program Files\\Quarvel\\readme.txt",
                             "file C:\\Program Files\\Quarvel\\Nimbrel.htm",
                             "script " + kExe + " | C:\\Program Files\\Quarvel"}));
  EXPECT_FALSE(registry.KeyExists(HKCU, kSettingsKey));
  EXPECT_FALSE(registry.KeyExists(HKCU, "Software\\Quarvel\\Nimbrel\\Deeper"));
  EXPECT_TRUE(registry.KeyExists(HKCU, "Software\\Quarvel"));        // the parent stays
  EXPECT_TRUE(registry.KeyExists(HKCU, "Software\\Quarvel\\Other"));  // and what else is in it
  EXPECT_FALSE(registry.KeyExists(HKLM, kUninstallKey));
  EXPECT_FALSE(registry.KeyExists(HKCU, kUninstallKey));
  EXPECT_TRUE(registry.KeyExists(HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\SomethingElse"));
}

TEST_F(UninstallTest, WhatIsGoneOrClosedIsSkipped) {
  MemoryRegistry empty;
  empty.SetAccess(HKLM, MemoryRegistry::Access::Denied);
  Uninstall(empty, shell, kExe);
  EXPECT_EQ(shell.calls.back(), "script " + kExe + " | C:\\Program Files\\Quarvel");
  // A machine key the user may read but not change stays.
  registry.SetAccess(HKLM, MemoryRegistry::Access::ReadOnly);
  Uninstall(registry, shell, kExe);
  EXPECT_TRUE(registry.KeyExists(HKLM, kUninstallKey));
  EXPECT_FALSE(registry.KeyExists(HKCU, kSettingsKey));
}

TEST(SelfDeleteScript, RetriesTheExecutableThenRemovesTheFolderAndItself) {
  const std::string script =
      SelfDeleteScript("C:\\Tools\\Q Calc\\Nimbrel.exe", "C:\\Tools\\Q Calc", "C:\\Temp\\DelUS.bat");
  EXPECT_EQ(script,
            ":Repeat\r\n"
            "del \"C:\\Tools\\Q Calc\\Nimbrel.exe\"\r\n"
            "if not exist \"C:\\Tools\\Q Calc\\Nimbrel.exe\" goto Removed\r\n"
            "set /a tries+=1\r\n"
            "if %tries% lss 120 (ping -n 2 127.0.0.1 >nul & goto Repeat)\r\n"
            ":Removed\r\n"
            "rmdir \"C:\\Tools\\Q Calc\"\r\n"
            "del \"C:\\Temp\\DelUS.bat\"\r\n");
  EXPECT_EQ(script.find('\0'), std::string::npos);
}

}  // namespace
}  // namespace nimbrel
