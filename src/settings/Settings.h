// The settings store: everything the user builds up, kept between runs in
// HKEY_CURRENT_USER\Software\Quarvel\Nimbrel, and the uninstall entry that
// lists the calculator among the installed programs.
//
// The settings key is read once at start (LoadSettings) and written once at
// exit (SaveSettings); nothing touches it in between. Both walk one table of
// values kept in Settings.cpp: name, encoding, default, home in memory.
//
// Encodings: integers and booleans are REG_DWORD (booleans written 0 or 1,
// read as true when nonzero), numbers are 8-byte REG_BINARY doubles. A home
// that is 16 bits wide takes the low 16 bits of the stored 32; it is written
// back sign-extended.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Engine.h"
#include "core/Version.h"
#include "display/DisplayOptions.h"
#include "settings/Registry.h"

namespace nimbrel {

// How a value is kept in the registry.
enum class SettingKind {
  Integer,  // REG_DWORD, signed
  Boolean,  // REG_DWORD, written 0 or 1, true when nonzero
  Float,    // REG_BINARY, an 8-byte double
};

// The names of the settings values, in the order LoadSettings reads them.
std::vector<std::string> SettingNames();

// The kind of the settings value of that name (names ignore case, as in the
// registry), or nothing when the settings key has no such value.
std::optional<SettingKind> SettingKindOf(std::string_view name);

// The values whose homes belong to the main window: its position, the check
// marks of its menu items and the launch flags.
struct WindowSettings {
  int32_t Left = 0;  // screen pixels, used as stored even when off the screen
  int32_t Top = 0;

  // The OnTop menu item. The window makes itself topmost when OnTop is set;
  // OnTopStored tells whether the value was in the registry at all.
  bool OnTop = false;
  bool OnTopStored = false;

  // The size menu items, one radio group. After loading at most one is set:
  // Large if Large is true (stored so, or missing), else Medium if Medium,
  // else Small if Small, else none, and the window then applies Large.
  bool Small = false;
  bool Medium = false;
  bool Large = true;

  // Launch flags, 0 or 1: a start-up shortcut exists, start without showing
  // the window, show the notification-area icon.
  int16_t StartUp = 0;
  int16_t Hidden = 0;
  int16_t TrayIcon = 1;

  // The key that calls the calculator from any program, as the hotkey
  // control holds it (low byte the key, high byte its modifiers), 0 for
  // none; and whether the keyboard's Calculator key opens this program.
  int32_t HotKey = 0;
  int16_t CalcKey = 0;

  // The tape: kept in a file between runs; its window open, and where
  // (screen pixels; a width or height of 0: beside the calculator, at its
  // first size).
  int16_t TapeKept = 1;
  int16_t TapeShown = 0;
  int32_t TapeLeft = 0;
  int32_t TapeTop = 0;
  int32_t TapeWidth = 0;
  int32_t TapeHeight = 0;
};

// Reads the settings key into the homes: window settings, display options,
// the ten stack levels (pushed level 10 first, so that they come back in
// place; all ten are pushed, 0 for a missing one) and the memory slots. A
// missing value takes its default. A number stored as NaN or infinity loads
// as 0; a Base other than 8, 10 or 16, an Angles outside 0..2, a Notation
// outside 0..3 and a memory key that is not a letter A..Z (or 0) load as
// their defaults. Opens the key on HKEY_CURRENT_USER, creating Quarvel and
// Nimbrel if missing; when it can't be opened every value takes its default.
// Throws RegistryError for a stored value of the wrong type or size, and
// then every home is left exactly as it was: all values are read before any
// is applied.
void LoadSettings(Registry& registry, Engine& engine, DisplayOptions& display,
                  WindowSettings& window);

// Writes every value of the settings key from memory, whether it changed or
// not. Pops all ten stack levels (the first pop is written as Stack0), so the
// stack is not usable afterwards. Numbers are rounded to the nearest double; a
// number beyond the range of a double is written as the largest double of
// its sign, a NaN as 0. Throws RegistryError "Failed to set data for '<name>'" for the
// first value that can't be written (Left when the key can't be opened);
// the values before it have been written.
void SaveSettings(Registry& registry, Engine& engine, const DisplayOptions& display,
                  const WindowSettings& window);

// As SaveSettings, for when the session is ending and nobody is left to
// tell: a value that can't be written is skipped and the rest are still
// written. Returns the names of the values that failed; never throws.
std::vector<std::string> SaveSettingsAtSessionEnd(Registry& registry, Engine& engine, const DisplayOptions& display,
                                                  const WindowSettings& window);

inline constexpr const char* kSettingsKey = "Software\\Quarvel\\Nimbrel";
inline constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbrel";
inline constexpr const char* kUninstallDisplayName = "Quarvel Calculator 1.1";
inline constexpr const char* kUninstallPublisher = NIMBREL_COMPANY_NAME;
inline constexpr const char* kUninstallDisplayVersion = NIMBREL_VERSION_TEXT;

// Where WriteUninstallEntry put the entry.
enum class UninstallEntryPlace { LocalMachine, CurrentUser, Nowhere };

// The command that starts the uninstall mode: the executable's path in
// double quotes (so that blanks in it do no harm), then " -u". A path that
// already comes in quotes is not quoted twice.
std::string UninstallCommand(const std::string& exePath);

// Writes the uninstall entry under HKEY_LOCAL_MACHINE\<kUninstallKey>:
// DisplayName and UninstallString, and what the list of installed programs
// shows beside them: DisplayVersion, Publisher, DisplayIcon (the program's
// own icon), EstimatedSize (in KB, `sizeKb`), NoModify and NoRepair (the
// calculator has neither). Where that key can't be opened or
// written, as for a standard user, the same entry goes under
// HKEY_CURRENT_USER\<kUninstallKey>, which Windows lists too. Never throws a
// RegistryError: without any entry the calculator still starts.
UninstallEntryPlace WriteUninstallEntry(Registry& registry, const std::string& exePath, uint32_t sizeKb = 0);

}  // namespace nimbrel
