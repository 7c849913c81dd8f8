// The uninstall mode without Windows: what is removed and in which order,
// and the script that removes the executable once it has ended.
#pragma once

#include <string>

#include "settings/Registry.h"

namespace nimbrel {

// What uninstalling does outside the registry.
class UninstallShell {
 public:
  virtual ~UninstallShell() = default;
  // "Are You sure you wish to Uninstall Quarvel Calculator": true on Yes.
  virtual bool ConfirmUninstall() = 0;
  // The keyboard's Calculator key no longer opens this program (where it
  // still names it).
  virtual void RemoveCalculatorKey() = 0;
  // The tape's file and its folder in the user's local application data.
  virtual void RemoveTape() = 0;
  // "Uninstall Canceled".
  virtual void ReportCancelled() = 0;
  // "Quarvel Calculator.lnk" out of a special folder (0 desktop, 7 Startup).
  virtual void DeleteLink(int folderId) = 0;
  // A file; a missing one or one that can't go is skipped quietly.
  virtual void RemoveFile(const std::string& path) = 0;
  // Writes the self-delete script and starts it, to run after this process.
  virtual void StartSelfDelete(const std::string& exePath, const std::string& folder) = 0;
};

// The files that come with the program, each the program folder followed by
// one of these.
inline constexpr const char* kCompanionFiles[] = {
    "\\Nimbrel.hlp", "\\Nimbrel.GID", "\\Sound.wav", "\\readme.txt", "\\Nimbrel.htm",
};

// Asks, then removes the uninstall entry (from HKEY_LOCAL_MACHINE and from
// HKEY_CURRENT_USER, where it is written when the machine's key is closed to
// the user), the settings key (its parent Software\Quarvel stays), the tape, both
// links, the executable if it can go, the companion files, and starts the
// self-delete script. Nothing is reported; what is already gone is skipped.
void Uninstall(Registry& registry, UninstallShell& shell, const std::string& exePath);

// The batch script that deletes the executable once the process has let go
// of it (retrying every second, for two minutes at the most), then the
// program folder if it is empty, then itself. Lines end in CR LF. The paths
// may hold anything a file name may (blanks, %, &, ^): cmd reads each back
// as it is.
std::string SelfDeleteScript(const std::string& exePath, const std::string& folder, const std::string& scriptPath);

}  // namespace nimbrel
