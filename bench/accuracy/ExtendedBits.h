// An extended value as its exact bits, and the text form the accuracy
// benchmark's files use for it.
//
// The two programs of the benchmark (the MPFR comparison on Linux and the
// portable evaluator, also built for Windows) exchange values as text
// files. MinGW's printf of long double can't be trusted, so values never go
// through printf or strtold: they travel as their two fields, the
// sign-and-exponent word and the 64-bit significand (explicit integer bit),
// written in hexadecimal as "SSSS:MMMMMMMMMMMMMMMM", e.g.
// "3fff:8000000000000000" for 1.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "core/Extended.h"

namespace nimbrel::bench {

struct XBits {
  uint16_t se = 0;   // sign (bit 15) and biased exponent (bits 0..14)
  uint64_t sig = 0;  // significand, integer bit at bit 63

  bool operator==(const XBits&) const = default;

  bool Negative() const { return (se & 0x8000) != 0; }
  int BiasedExponent() const { return se & 0x7fff; }
  bool IsFinite() const { return BiasedExponent() != 0x7fff; }
  bool IsZero() const { return BiasedExponent() == 0 && sig == 0; }
  XBits Negated() const { return XBits{static_cast<uint16_t>(se ^ 0x8000), sig}; }
};

constexpr int kExponentBias = 16383;
constexpr int kMinNormalExponent = -16382;  // 2^-16382, the smallest normal
constexpr int kMaxExponent = 16383;
constexpr int kMinSubnormalExponent = -16445;  // 2^-16445, the smallest subnormal

// The value's bytes: x86 stores the significand in bytes 0..7 and the
// sign-and-exponent word in bytes 8..9, little-endian, on both the native
// and the MinGW builds; the padding bytes after them are ignored.
inline XBits BitsOf(Extended v) {
  unsigned char b[sizeof(Extended)];
  std::memcpy(b, &v, sizeof v);
  XBits r;
  std::memcpy(&r.sig, b, 8);
  std::memcpy(&r.se, b + 8, 2);
  return r;
}

inline Extended ValueOf(XBits x) {
  unsigned char b[sizeof(Extended)] = {};
  std::memcpy(b, &x.sig, 8);
  std::memcpy(b + 8, &x.se, 2);
  Extended v;
  std::memcpy(&v, b, sizeof v);
  return v;
}

// A normal value: sign, unbiased exponent e (value in [2^e, 2^(e+1))) and
// the significand, whose integer bit is set here.
inline XBits MakeNormal(bool negative, int e, uint64_t sig) {
  return XBits{static_cast<uint16_t>((negative ? 0x8000 : 0) | (e + kExponentBias)),
               sig | (uint64_t{1} << 63)};
}

// "3fff:8000000000000000"
std::string ToText(XBits x);

// Parses the text form at `p`, skipping leading blanks, and advances `p`
// past it. False (and `p` unchanged) when there is no well-formed value.
bool ParseBits(const char*& p, XBits& out);

// The value `steps` representable values away from x (towards +infinity for
// a positive count), across binade and subnormal boundaries and through
// zero; clamped at the largest finite magnitude.
XBits StepBits(XBits x, int64_t steps);

}  // namespace nimbrel::bench
