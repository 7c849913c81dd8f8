// Stored settings made of the fuzzer's bytes, planted in an in-memory
// registry under the settings key.
#pragma once

#include <cstring>
#include <vector>

#include "FuzzCommon.h"
#include "settings/MemoryRegistry.h"
#include "settings/Settings.h"

namespace nimbrel::fuzz {

// Doubles worth storing: the ends of the range, subnormals, values near
// powers of the bases and the line's limits, and what is not finite.
inline double InterestingDouble(Bytes& bytes) {
  static const double kValues[] = {0.0, -0.0, 1.0, -1.0, 0.5, 1e-5, 9.99996, 999999.99999, 1234567890123.75,
                                   -123456789.123, 1e13, 4503599627370495.5, 1.8446744073709552e19, 1e300,
                                   1.7976931348623157e308, -1.7976931348623157e308, 2.2250738585072014e-308,
                                   4.9406564584124654e-324, -4.9406564584124654e-324, 2.2250738585072009e-308,
                                   __builtin_inf(), -__builtin_inf(), __builtin_nan(""), 0.1, 1.0 / 3.0};
  const uint8_t b = bytes.Byte();
  if (b < 200) return kValues[b % (sizeof kValues / sizeof kValues[0])];
  double d = 0;
  for (int i = 0; i < 8; ++i) reinterpret_cast<unsigned char*>(&d)[i] = bytes.Byte();
  return d;
}

// Up to `most` values of the settings table, each of the right kind with
// bytes chosen from the input; one in `wrongOneIn` (0: none) gets a random
// registry type and size instead.
inline void PlantSettings(Bytes& bytes, MemoryRegistry& registry, int most, int wrongOneIn) {
  const std::vector<std::string>& names = SettingNames();
  const int count = bytes.Below(most + 1);
  for (int n = 0; n < count; ++n) {
    const std::string& name = names[bytes.Below(static_cast<int>(names.size()))];
    std::vector<unsigned char> data;
    uint32_t type = kRegDword;
    if (wrongOneIn > 0 && bytes.Below(wrongOneIn) == 0) {
      static const uint32_t kTypes[] = {kRegNone, kRegSz, kRegExpandSz, kRegBinary, kRegDword, kRegQword, 7};
      type = kTypes[bytes.Below(7)];
      data.resize(bytes.Below(13));
      for (unsigned char& c : data) c = bytes.Byte();
    } else if (SettingKindOf(name) == SettingKind::Float) {
      type = kRegBinary;
      const double d = InterestingDouble(bytes);
      data.resize(8);
      std::memcpy(data.data(), &d, 8);
    } else {
      // Small values mostly (switches, bases, steps, letters), any 32 bits sometimes.
      static const int32_t kInts[] = {0, 1, 2, 3, 4, 8, 9, 10, 13, 16, 65, 75, 90, 100, 65546, -1, 32767, -32768};
      const uint8_t b = bytes.Byte();
      int32_t v = kInts[b % 18];
      if (b >= 200) {
        const uint32_t low = bytes.Word();
        const uint32_t high = bytes.Word();
        v = static_cast<int32_t>(low | (high << 16));
      }
      data.resize(4);
      std::memcpy(data.data(), &v, 4);
    }
    registry.Plant(RootKey::CurrentUser, kSettingsKey, name, type, std::move(data));
  }
}

}  // namespace nimbrel::fuzz
