// fuzz_settings: a registry image, every value of the settings table
// missing or stored with a random type, size and bytes (or a value of its
// own kind), loaded as at start-up. A damaged value stops the load with one
// of the registry's two messages naming it; a load that succeeds leaves
// finite numbers and lines that fit, and saving, loading and saving again
// writes the same bytes.
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCommon.h"
#include "FuzzPlatform.h"
#include "FuzzSettings.h"

namespace nimbrel::fuzz {
namespace {

void PlantImage(Bytes& bytes, MemoryRegistry& registry) {
  for (const std::string& name : SettingNames()) {
    const uint8_t how = bytes.Byte();
    if (how % 4 == 0) continue;  // missing
    if (how % 4 == 3) {
      static const uint32_t kTypes[] = {kRegNone, kRegSz, kRegExpandSz, kRegBinary, kRegDword, kRegQword, 7, 0xFFFF};
      std::vector<unsigned char> data(bytes.Below(14));
      for (unsigned char& c : data) c = bytes.Byte();
      registry.Plant(RootKey::CurrentUser, kSettingsKey, name, kTypes[(how >> 2) % 8], std::move(data));
      continue;
    }
    std::vector<unsigned char> data;
    uint32_t type = kRegDword;
    if (SettingKindOf(name) == SettingKind::Float) {
      type = kRegBinary;
      const double d = InterestingDouble(bytes);
      data.resize(8);
      std::memcpy(data.data(), &d, 8);
    } else {
      data.resize(4);
      for (unsigned char& c : data) c = how & 0x80 ? bytes.Byte() : 0;
      if (!(how & 0x80)) data[0] = bytes.Byte() % 20;
    }
    registry.Plant(RootKey::CurrentUser, kSettingsKey, name, type, std::move(data));
  }
}

bool NamesAValue(const std::string& message) {
  for (const char* start : {"Failed to get data for '", "Invalid data type for '"}) {
    const std::string s = start;
    if (message.compare(0, s.size(), s) != 0 || message.back() != '\'') continue;
    const std::string name = message.substr(s.size(), message.size() - s.size() - 1);
    if (SettingKindOf(name)) return true;
  }
  return false;
}

}  // namespace
}  // namespace nimbrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nimbrel;
  using namespace nimbrel::fuzz;
  Bytes bytes(data, size);
  MemoryRegistry registry;
  PlantImage(bytes, registry);
  FuzzPlatform p(bytes);
  try {
    p.calc.Load(registry);
  } catch (const RegistryError& e) {
    if (!NamesAValue(e.what())) Fail(std::string("a damaged value reported as: ") + e.what());
    return 0;
  }
  CheckNumbers(p.calc.engine);
  CheckShift(p.calc.face);
  CheckEveryLine(p.calc);
  CheckSaveLoadSave([&](MemoryRegistry& r) { p.calc.Save(r); });
  return 0;
}
