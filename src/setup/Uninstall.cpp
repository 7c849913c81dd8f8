#include "setup/Uninstall.h"

#include "setup/CommandLine.h"
#include "settings/Settings.h"

namespace nimbrel {

namespace {

// Deletes the last level of `path` below `root`, opening its parent without
// creating anything.
void DeleteKeyPath(Registry& registry, RootKey root, const std::string& path) {
  const size_t cut = path.find_last_of('\\');
  registry.SetRootKey(root);
  if (registry.OpenKey(path.substr(0, cut), false)) {
    registry.DeleteKey(path.substr(cut + 1));
    registry.CloseKey();
  }
}

}  // namespace

void Uninstall(Registry& registry, UninstallShell& shell, const std::string& exePath) {
  if (!shell.ConfirmUninstall()) {
    shell.ReportCancelled();
    return;
  }
  DeleteKeyPath(registry, RootKey::LocalMachine, kUninstallKey);
  DeleteKeyPath(registry, RootKey::CurrentUser, kUninstallKey);
  DeleteKeyPath(registry, RootKey::CurrentUser, kSettingsKey);
  shell.RemoveCalculatorKey();
  shell.RemoveTape();
  registry.SetRootKey(RootKey::CurrentUser);
  shell.DeleteLink(0);  // the desktop
  shell.DeleteLink(7);  // the Startup folder
  shell.RemoveFile(exePath);  // fails while this process runs; the script retries
  const std::string folder = ProgramFolder(exePath);
  for (const char* file : kCompanionFiles) shell.RemoveFile(folder + file);
  shell.StartSelfDelete(exePath, folder);
}

namespace {

// A path as a batch file's argument: in double quotes, where cmd takes
// blanks, & and ^ as they are; a % is doubled, since cmd expands percent
// signs in a batch file even between quotes.
std::string BatchArgument(const std::string& path) {
  std::string out = "\"";
  for (char c : path) {
    if (c == '%') out += '%';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string SelfDeleteScript(const std::string& exePath, const std::string& folder, const std::string& scriptPath) {
  const std::string exe = BatchArgument(exePath);
  std::string s;
  const auto line = [&](const std::string& text) { s += text + "\r\n"; };
  line(":Repeat");
  line("del " + exe);
  line("if not exist " + exe + " goto Removed");
  line("set /a tries+=1");
  line("if %tries% lss 120 (ping -n 2 127.0.0.1 >nul & goto Repeat)");
  line(":Removed");
  line("rmdir " + BatchArgument(folder));
  line("del " + BatchArgument(scriptPath));
  return s;
}

}  // namespace nimbrel
