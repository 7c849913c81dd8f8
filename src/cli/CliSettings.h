// --set NAME=VALUE for nimbrel-cli: the values go into an in-memory registry
// under the calculator's settings key and are loaded by the same code that
// loads the real registry at start-up.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cli/CliSession.h"

namespace nimbrel {

// Loads the settings (first-start defaults for every value not given) into
// the session. Returns an error text naming a bad NAME or VALUE, or "".
std::string ApplySettings(const std::vector<std::pair<std::string, std::string>>& sets, CliSession& session);

}  // namespace nimbrel
