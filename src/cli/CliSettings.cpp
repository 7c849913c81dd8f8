#include "cli/CliSettings.h"

namespace nimbrel {

std::string ApplySettings(const std::vector<std::pair<std::string, std::string>>& sets, CliSession&) {
  if (!sets.empty()) return "--set is not available yet";
  return "";
}

}  // namespace nimbrel
