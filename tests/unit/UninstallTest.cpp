// The uninstall mode's steps against the in-memory registry and a shell
// that records what it is asked to do.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/MemoryRegistry.h"
#include "settings/Settings.h"
#include "setup/Uninstall.h"

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
  void RemoveCalculatorKey() override { calls.push_back("calculator key"); }
  void RemoveTape() override { calls.push_back("tape"); }
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
                             "ask", "calculator key", "tape", "link 0", "link 7", "file " + kExe,
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

// A line of a batch file as cmd reads it before running it, with no
// variables set: %% is one %, %0 .. %9 and %name% expand to nothing, and a
// lone % is dropped.
std::string AsCmdReadsIt(const std::string& line) {
  std::string out;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '%') {
      out += line[i];
    } else if (i + 1 < line.size() && line[i + 1] == '%') {
      out += '%';
      ++i;
    } else if (i + 1 < line.size() && line[i + 1] >= '0' && line[i + 1] <= '9') {
      ++i;
    } else if (const size_t close = line.find('%', i + 1); close != std::string::npos) {
      i = close;
    }
  }
  return out;
}

// The quoted arguments of every line of a script, as cmd reads them.
std::vector<std::string> QuotedArguments(const std::string& script) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t end; (end = script.find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::string line = AsCmdReadsIt(script.substr(start, end - start));
    for (size_t open = line.find('"'); open != std::string::npos; open = line.find('"', open)) {
      const size_t close = line.find('"', open + 1);
      if (close == std::string::npos) break;
      out.push_back(line.substr(open + 1, close - open - 1));
      open = close + 1;
    }
  }
  return out;
}

TEST(SelfDeleteScript, CmdReadsEveryPathBackAsItIs) {
  // Blanks, & and ^ are safe between quotes; a percent sign is not, unless
  // it is doubled. The Windows test runs such paths through cmd itself.
  const struct {
    const char* folder;
    const char* temp;
  } cases[] = {
      {"C:\\Program Files\\Quarvel", "C:\\Users\\Jo Smith\\AppData\\Local\\Temp"},
      {"C:\\Tools\\100% sure", "C:\\Temp"},
      {"D:\\x%PATH%y\\%1 %%", "C:\\Temp\\50%"},
      {"C:\\R&D ^ (tools)!", "C:\\Users\\A&B^C\\Temp"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    const std::string folder = c.folder;
    const std::string exe = folder + "\\Nimbrel.exe";
    const std::string scriptPath = std::string(c.temp) + "\\DelUS.bat";
    const std::string script = SelfDeleteScript(exe, folder, scriptPath);
    const std::vector<std::string> arguments = QuotedArguments(script);
    std::string read;
    for (const std::string& argument : arguments) read += " [" + argument + "]";
    for (const std::string& path : {exe, folder, scriptPath}) {
      EXPECT_TRUE(std::find(arguments.begin(), arguments.end(), path) != arguments.end())
          << path << " is read as none of" << read;
    }
    for (const std::string& argument : arguments) {
      EXPECT_TRUE(argument == exe || argument == folder || argument == scriptPath) << "cmd reads [" << argument << "]";
    }
  }
}

TEST(SelfDeleteScript, IsPlainTextInLinesEndingInCrLf) {
  const std::string script =
      SelfDeleteScript("C:\\Q Calc\\Nimbrel.exe", "C:\\Q Calc", "C:\\Temp\\DelUS.bat");
  ASSERT_FALSE(script.empty());
  EXPECT_EQ(script.find('\0'), std::string::npos);
  EXPECT_EQ(script.substr(script.size() - 2), "\r\n");
  for (size_t at = script.find('\n'); at != std::string::npos; at = script.find('\n', at + 1)) {
    EXPECT_EQ(script[at - 1], '\r') << "line feed at " << at;
  }
}

}  // namespace
}  // namespace nimbrel
