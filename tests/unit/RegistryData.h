// Registry value data as the tests plant and compare it, and the damaged
// values that must stop LoadSettings with their message. Shared by the
// in-memory tests and the tests against the real Windows registry, so that
// both registries face the same cases.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "settings/Registry.h"

namespace nimbrel::testdata {

using Bytes = std::vector<unsigned char>;

inline Bytes Dword(int32_t v) {
  Bytes b(4);
  std::memcpy(b.data(), &v, 4);
  return b;
}

inline Bytes Binary(double v) {
  Bytes b(8);
  std::memcpy(b.data(), &v, 8);
  return b;
}

inline Bytes RawDouble(uint64_t bits) {
  Bytes b(8);
  std::memcpy(b.data(), &bits, 8);
  return b;
}

inline Bytes Text(const std::string& s) {  // with its terminating zero
  return Bytes(s.c_str(), s.c_str() + s.size() + 1);
}

inline Bytes Filler(size_t n) { return Bytes(n, 0x11); }

struct DamagedValue {
  const char* name;
  uint32_t type;  // a registry type, numbered as Windows numbers them
  Bytes data;
  const char* message;
};

// Integers and booleans are read into a 4-byte buffer, numbers into an
// 8-byte one that must be filled by exactly 8 bytes of REG_BINARY.
inline std::vector<DamagedValue> DamagedValues() {
  return {
      {"Left", kRegSz, Text("abc"), "Invalid data type for 'Left'"},
      {"Left", kRegSz, Text("abcd"), "Failed to get data for 'Left'"},
      {"Left", kRegBinary, Filler(4), "Invalid data type for 'Left'"},
      {"Top", kRegQword, Filler(8), "Failed to get data for 'Top'"},
      {"Top", kRegDword, Filler(5), "Failed to get data for 'Top'"},
      {"OnTop", kRegSz, Text("1"), "Invalid data type for 'OnTop'"},
      {"Decs", kRegBinary, Filler(2), "Invalid data type for 'Decs'"},
      {"TrayIcon", kRegExpandSz, Text("%A"), "Invalid data type for 'TrayIcon'"},
      {"MKey9", kRegBinary, Filler(8), "Failed to get data for 'MKey9'"},
      {"MKey1", kRegNone, Bytes{}, "Invalid data type for 'MKey1'"},
      {"Stack3", kRegBinary, Filler(10), "Failed to get data for 'Stack3'"},
      {"Stack3", kRegBinary, Filler(4), "Invalid data type for 'Stack3'"},
      {"Stack3", kRegBinary, Filler(9), "Failed to get data for 'Stack3'"},
      {"Stack0", kRegBinary, Bytes{}, "Invalid data type for 'Stack0'"},
      {"Stack9", kRegBinary, Filler(7), "Invalid data type for 'Stack9'"},
      {"MValue9", kRegDword, Dword(5), "Invalid data type for 'MValue9'"},
      {"MValue1", kRegSz, Text("1234567"), "Invalid data type for 'MValue1'"},
      {"MValue1", kRegSz, Text("12345678"), "Failed to get data for 'MValue1'"},
  };
}

}  // namespace nimbrel::testdata
