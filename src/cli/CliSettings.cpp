#include "cli/CliSettings.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "settings/MemoryRegistry.h"
#include "settings/Settings.h"

namespace nimbrel {

namespace {

// The bytes a value of this encoding holds in the registry, or an error.
std::string Encode(const std::string& name, const std::string& text, SettingKind kind, uint32_t& type,
                   std::vector<unsigned char>& bytes) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  if (kind == SettingKind::Float) {
    const double v = std::strtod(begin, &end);
    // strtod says ERANGE for a result too small to be normal as well as for
    // one no double holds: a subnormal is a value like any other (the
    // registry keeps and loads it), only an overflow or an underflow to zero
    // is refused.
    const bool outOfRange = errno == ERANGE && (v == 0 || !std::isfinite(v));
    if (text.empty() || *end || outOfRange) return "bad number '" + text + "' for " + name;
    type = kRegBinary;
    bytes.resize(8);
    std::memcpy(bytes.data(), &v, 8);
    return "";
  }
  const long long v = std::strtoll(begin, &end, 10);
  if (text.empty() || *end || errno == ERANGE || v < INT32_MIN || v > UINT32_MAX) {
    return "bad integer '" + text + "' for " + name;
  }
  const uint32_t dword = static_cast<uint32_t>(v);
  type = kRegDword;
  bytes.resize(4);
  std::memcpy(bytes.data(), &dword, 4);
  return "";
}

}  // namespace

std::string ApplySettings(const std::vector<std::pair<std::string, std::string>>& sets, CliSession& session) {
  MemoryRegistry registry;
  for (const auto& [name, text] : sets) {
    const std::optional<SettingKind> kind = SettingKindOf(name);
    if (!kind) return "unknown setting '" + name + "'";
    uint32_t type = 0;
    std::vector<unsigned char> bytes;
    if (std::string error = Encode(name, text, *kind, type, bytes); !error.empty()) return error;
    registry.Plant(RootKey::CurrentUser, kSettingsKey, name, type, std::move(bytes));
  }
  session.calc.Load(registry);
  return "";
}

}  // namespace nimbrel
