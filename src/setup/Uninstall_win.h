// The uninstall mode of Nimbrel.exe: the portable steps with Windows'
// message boxes, shell links, files and the self-delete script.
#pragma once

#include <string>

namespace nimbrel {

// Runs the uninstall mode for the executable at `exePath`.
void RunUninstall(const std::string& exePath);

// Writes the self-delete script (SelfDeleteScript) for `exePath` and its
// `folder` to the temporary folder and starts it hidden under the command
// interpreter, at idle priority, while the calling process is raised to end
// quickly. Returns the script's process id, or 0 when it could not be
// written or started (the executable and its folder then stay).
unsigned long StartSelfDelete(const std::string& exePath, const std::string& folder);

}  // namespace nimbrel
