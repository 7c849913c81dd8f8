// Registry value data as the tests plant and compare it.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace nimbrel {

using Bytes = std::vector<unsigned char>;

namespace testdata {

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

}  // namespace testdata
}  // namespace nimbrel
