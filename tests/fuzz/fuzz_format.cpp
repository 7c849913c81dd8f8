// fuzz_format: one finite value, any of its 80-bit patterns, formatted under
// any display options the dialog can store: base 8, 10 or 16, each option on
// or off, 0 to 18 decimals and any exponent step from 1 to 32767. Every line
// fits the display's 16 characters, carries its label and costs bounded work.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "FuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nimbrel;
  using namespace nimbrel::fuzz;
  Bytes bytes(data, size);
  // The value's ten bytes, low first, as the x87 keeps them.
  unsigned char raw[sizeof(Extended)] = {};
  for (size_t i = 0; i < 10; ++i) raw[i] = bytes.Byte();
  Extended v;
  std::memcpy(&v, raw, sizeof v);
  if (!std::isfinite(v)) return 0;  // nothing else reaches the stack
  DisplayOptions o;
  ChooseDisplayFlags(bytes.Byte(), o);
  o.Decs = static_cast<int16_t>(bytes.Byte() % 19);
  o.bsZ = static_cast<int16_t>(1 + bytes.Word() % 32767);
  const char label = "XYZW456789"[bytes.Below(10)];
  CheckedFormat(v, label, o);
  CheckedFormat(-v, label, o);
  return 0;
}
