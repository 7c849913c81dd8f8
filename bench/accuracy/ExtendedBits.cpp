#include "accuracy/ExtendedBits.h"

#include <cstdio>

namespace nimbrel::bench {

namespace {

constexpr uint64_t kTopBit = uint64_t{1} << 63;
constexpr uint64_t kFractionMask = kTopBit - 1;

bool HexDigit(char c, unsigned& v) {
  if (c >= '0' && c <= '9') v = static_cast<unsigned>(c - '0');
  else if (c >= 'a' && c <= 'f') v = static_cast<unsigned>(c - 'a' + 10);
  else if (c >= 'A' && c <= 'F') v = static_cast<unsigned>(c - 'A' + 10);
  else return false;
  return true;
}

// Reads exactly `digits` hex digits.
bool ReadHex(const char*& p, int digits, uint64_t& out) {
  uint64_t v = 0;
  for (int i = 0; i < digits; ++i) {
    unsigned d;
    if (!HexDigit(p[i], d)) return false;
    v = (v << 4) | d;
  }
  p += digits;
  out = v;
  return true;
}

}  // namespace

std::string ToText(XBits x) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04x:%08lx%08lx", static_cast<unsigned>(x.se),
                static_cast<unsigned long>(x.sig >> 32), static_cast<unsigned long>(x.sig & 0xffffffffu));
  return buf;
}

bool ParseBits(const char*& p, XBits& out) {
  const char* q = p;
  while (*q == ' ' || *q == '\t') ++q;
  uint64_t se, sig;
  if (!ReadHex(q, 4, se) || *q != ':') return false;
  ++q;
  if (!ReadHex(q, 16, sig)) return false;
  unsigned dummy;
  if (HexDigit(*q, dummy)) return false;  // too many digits
  out = XBits{static_cast<uint16_t>(se), sig};
  p = q;
  return true;
}

// The representable values, ordered, are numbered hi * 2^63 + lo (lo below
// 2^63): a non-negative value with biased exponent E and significand s has
// hi = E and lo = s without its integer bit, which numbers the subnormals
// (E = 0) and every binade after them consecutively. Negative values take
// the negated number, so stepping runs through zero.
XBits StepBits(XBits x, int64_t steps) {
  int64_t hi = x.BiasedExponent();
  uint64_t lo = x.sig & kFractionMask;
  if (x.Negative()) {
    if (lo == 0) {
      hi = -hi;
    } else {
      hi = -hi - 1;
      lo = kTopBit - lo;
    }
  }
  // steps = sh * 2^63 + sl with 0 <= sl < 2^63
  const int64_t sh = steps < 0 ? -1 : 0;
  const uint64_t sl = static_cast<uint64_t>(steps) & kFractionMask;
  lo += sl;
  if (lo >= kTopBit) {
    lo -= kTopBit;
    ++hi;
  }
  hi += sh;

  bool negative = false;
  if (hi < 0) {
    negative = true;
    if (lo == 0) {
      hi = -hi;
    } else {
      hi = -hi - 1;
      lo = kTopBit - lo;
    }
  }
  if (hi >= 0x7fff) {  // past the largest finite value
    hi = 0x7ffe;
    lo = kFractionMask;
  }
  XBits r;
  r.se = static_cast<uint16_t>((negative ? 0x8000 : 0) | hi);
  r.sig = lo | (hi != 0 ? kTopBit : 0);
  return r;
}

}  // namespace nimbrel::bench
