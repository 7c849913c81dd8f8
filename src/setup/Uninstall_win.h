// The uninstall mode of Nimbrel.exe: the portable steps with Windows'
// message boxes, shell links, files and the self-delete script.
#pragma once

#include <string>

namespace nimbrel {

// Runs the uninstall mode for the executable at `exePath`.
void RunUninstall(const std::string& exePath);

}  // namespace nimbrel
